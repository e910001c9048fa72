// SPDX-License-Identifier: GPL-3.0-or-later
// The main view where the fonts are not what the player asks for: a Wine
// prefix as it comes (no "Segoe UI", and a GDI+ that finds none of the faces
// it is told to try), or a fontconfig that knows DejaVu alone (ctest sets up
// either). The texts are drawn all the same, and the speaker, which no font
// there draws, is the shape that stands in for it, not empty boxes.
#include <gtest/gtest.h>

#include <cmath>

#include "app/frame.h"
#include "display/symbol_standins.h"
#include "display/view_colours.h"
#include "frame_fixture.h"

namespace {

class StockFonts : public FrameTest {
 protected:
  // Pixels of `box` (x, y, width, height) near `colour`, each channel within 40.
  int PixelsNear(std::array<int, 4> box, Colour colour) {
    int count = 0;
    for (int y = box[1]; y < box[1] + box[3]; ++y) {
      for (int x = box[0]; x < box[0] + box[2]; ++x) {
        const uint32_t p = Pixel(x, y), c = Hex(colour);
        bool near = true;
        for (int shift : {0, 8, 16}) near = near && std::abs(int(p >> shift & 0xFF) - int(c >> shift & 0xFF)) <= 40;
        count += near;
      }
    }
    return count;
  }
};

TEST_F(StockFonts, TitleArtistAndSymbolsAreDrawn) {
  player.song.currentSong = T("Artiste \u00c9t\u00e9 - Titre \u00e0 l'air");
  RenderMainView(player);
  EXPECT_GT(PixelsNear({280, 24, 520, 34}, kViewColours.titleText), 60) << "no title";
  EXPECT_GT(PixelsNear({280, 55, 520, 26}, kViewColours.artistText), 40) << "no artist";
  EXPECT_GT(PixelsNear({296, 226, 20, 20}, kViewColours.glyph), 30) << "no play sign";
  EXPECT_GT(PixelsNear({356, 226, 20, 20}, kViewColours.glyph), 30) << "no stop sign";

  // The speaker's shape, in its colour, centred in the line box of its font.
  Surface& s = *player.mainSurface;
  SelectFont(s, player.look.fonts.fontLabel);
  const float lineHeight = LineHeight(s);
  const auto speaker = SymbolStandIn(u"\U0001F508", float(player.look.fonts.fontLabel.points) * 96.0f / 72.0f);
  ASSERT_TRUE(speaker);
  const int left = 418 + speaker->left, top = RoundPixel(229 + (lineHeight - float(speaker->side)) / 2.0f);
  int inShape = 0;
  for (const PixelArea& box : speaker->boxes) {
    inShape += box.width * box.height;
    EXPECT_EQ(PixelsNear({left + box.x, top + box.y, box.width, box.height}, kViewColours.speaker),
              box.width * box.height);
  }
  EXPECT_EQ(PixelsNear({410, 220, 28, 30}, kViewColours.speaker), inShape) << "more than the shape";
}

}  // namespace
