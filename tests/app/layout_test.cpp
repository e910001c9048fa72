// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/about_window.h"
#include "app/fonts.h"
#include "app/player_state.h"
#include "display/gradient.h"
#include "display/surface.h"

namespace {

TEST(Layout, KnobFollowsVolume) {
  const std::pair<float, float> cases[] = {{0.0f, 431}, {0.8f, 575}, {1.0f, 611}, {0.5f, 521}};
  for (const auto& [volume, x] : cases) {
    Layout layout;
    ComputeLayout(layout, volume);
    EXPECT_FLOAT_EQ(layout.volumeKnobBox.x, x) << volume;
    EXPECT_FLOAT_EQ(layout.volumeKnobBox.y, 229);
  }
}

TEST(Surface, RoundsHalfToEven) {
  const std::pair<float, int> cases[] = {{0.5f, 0}, {1.5f, 2}, {2.5f, 2}, {-0.5f, 0}, {-1.5f, -2}, {2.4f, 2}, {2.6f, 3}};
  for (const auto& [in, out] : cases) EXPECT_EQ(RoundPixel(in), out) << in;
  EXPECT_EQ(RoundPixel(std::nanf("")), 0);
}

class RecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    surface = CreateSurface(800, 400);
    ASSERT_NE(surface, nullptr);
    SetRecording(*surface, &ops);
    ASSERT_TRUE(BeginDrawing(*surface));
  }
  void TearDown() override { DestroySurface(surface); }
  Surface* surface = nullptr;
  std::vector<DrawOp> ops;
};

TEST_F(RecordingTest, RoundedBoxRadiusAndNegativeSizeRules) {
  struct Case {
    float x, y, w, h, rx, ry;
    int ex, ey, ew, eh, erx, ery;
  } cases[] = {
      {740, 235, 44, 24, 24, 24, 740, 235, 44, 24, 22, 12},   // badge: the inscribed ellipse
      {575, 229, 18, 18, 10, 10, 575, 229, 18, 18, 9, 9},     // knob: a disc
      {294, 224, 24, 12, 32, 32, 294, 224, 24, 12, 12, 6},    // gloss bar
      {100, 100, -20, -10, 4, 4, 80, 90, 20, 10, 4, 4},       // negative sizes from the other side
      {279, 84, 512, 102, 10, 10, 279, 84, 512, 102, 10, 10}, // panel: radii fit
      {10, 10, 7, 7, 10, 10, 10, 10, 7, 7, 3, 3},             // odd side: w div 2
  };
  for (const auto& c : cases) {
    ops.clear();
    FillRoundedBox(*surface, c.x, c.y, c.w, c.h, c.rx, c.ry, Rgb(1, 2, 3));
    ASSERT_EQ(ops.size(), 1u);
    const DrawOp& op = ops[0];
    EXPECT_EQ((std::array{op.x, op.y, op.w, op.h, op.rx, op.ry}), (std::array{c.ex, c.ey, c.ew, c.eh, c.erx, c.ery}));
  }
}

TEST_F(RecordingTest, ShapesRoundTheirCoordinates) {
  FillBox(*surface, 10.5f, 11.5f, 6.5f, 2.5f, Rgb(9, 9, 9));
  FillCircle(*surface, 750.5f, 247.4f, 7.5f, Rgb(9, 9, 9));
  DrawLine(*surface, 0.5f, 1.5f, 2.5f, 3.5f, Rgb(9, 9, 9));
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ((std::array{ops[0].x, ops[0].y, ops[0].w, ops[0].h}), (std::array{10, 12, 6, 2}));
  EXPECT_EQ((std::array{ops[1].x, ops[1].y, ops[1].w}), (std::array{750, 247, 8}));
  EXPECT_EQ((std::array{ops[2].x, ops[2].y, ops[2].w, ops[2].h}), (std::array{0, 2, 2, 4}));
}

TEST(AboutWindow, DrawsLogoOrDiscAndTheTexts) {
  Player player;
  player.config = BuiltInConfig();
  player.config.stationSiteUrl = "http://radio.example:8080/";
  for (bool withLogo : {true, false}) {
    SCOPED_TRACE(withLogo);
    Surface* surface = CreateSurface(800, 400);
    std::vector<DrawOp> ops;
    SetRecording(*surface, &ops);
    player.logoImage = withLogo ? CreateImage(256, 256) : nullptr;
    DrawAboutWindow(player, *surface);
    ASSERT_EQ(ops.size(), 1u + 1 + 6);  // the gradient, logo or disc, six texts
    EXPECT_EQ((std::array{ops[0].x, ops[0].y, ops[0].w, ops[0].h}), (std::array{0, 0, 800, 400}));
    EXPECT_EQ(SurfacePixel(*surface, 500, 0), 0x0A142Du);    // the gradient's top colour
    EXPECT_EQ(SurfacePixel(*surface, 500, 399), 0x030A14u);  // and its bottom colour
    const DrawOp& logo = ops[1];
    if (withLogo) {
      EXPECT_EQ((std::array{logo.x, logo.y, logo.w, logo.h}), (std::array{42, 42, 256, 256}));
    } else {
      EXPECT_EQ(logo.kind, DrawOp::Kind::Circle);
      EXPECT_EQ((std::array{logo.x, logo.y, logo.w}), (std::array{80, 80, 38}));
    }
    FreeImage(player.logoImage);
    DestroySurface(surface);
  }
}

// The six texts as the window shows them: its picture, the logo aside, is
// the gradient with each line of this table drawn on it, pixel for pixel.
TEST(AboutWindow, TextsInTheirFontsColoursAndPlaces) {
  Player player;
  player.config = BuiltInConfig();
  player.config.stationSiteUrl = "http://radio.example:8080/";
  LoadFonts(player.fonts);
  const Fonts& f = player.fonts;
  const struct {
    FontFace font;
    float x, y;
    Colour colour;
    const char16_t* text;
  } lines[] = {
      {f.fontTitle, 320, 50, Rgb(235, 242, 255), u"Orvelle Player"},
      {f.fontAbout, 320, 100, Rgb(210, 220, 235), u"Logiciel offert gratuitement par radio.example \u00e0 ses auditeurs."},
      {f.fontLabel, 320, 160, Rgb(200, 210, 225), u"Le Player Orvelle utilise:"},
      {f.fontLabel, 320, 200, Rgb(200, 210, 225), u"\u2022 Librarie BASS"},
      {f.fontLabel, 320, 240, Rgb(200, 210, 225), u"\u2022 API Deezer pour les pochettes"},
      {f.fontSmall, 40, 360, Rgb(170, 180, 200), u"\u00a9 2026 Radio Orvelle. Tous droits r\u00e9serv\u00e9s."},
  };
  Surface* shown = CreateSurface(800, 400);
  Surface* expected = CreateSurface(800, 400);
  ASSERT_TRUE(shown && expected);
  DrawAboutWindow(player, *shown);
  ASSERT_TRUE(BeginDrawing(*expected));
  DrawVerticalGradient(*expected, 0, 0, 800, 400, Rgb(10, 20, 45), Rgb(3, 10, 20));
  SetDrawMode(*expected, DrawMode::TransparentText);
  for (const auto& line : lines) {
    SelectFont(*expected, line.font);
    DrawText(*expected, line.text, line.x, line.y, line.colour);
  }
  EndDrawing(*expected);

  const auto pixel = [](Surface* s, int x, int y) { return SurfacePixel(*s, x, y); };
  int differing = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 800; ++x) {
      const bool logo = x >= 40 && x < 300 && y >= 40 && y < 300;  // the stand-in disc, checked elsewhere
      if (logo || pixel(shown, x, y) == pixel(expected, x, y)) continue;
      if (differing++ == 0) firstX = x, firstY = y;
    }
  }
  EXPECT_EQ(differing, 0) << "first at (" << firstX << ", " << firstY << ")";
  DestroySurface(shown);
  DestroySurface(expected);
}

}  // namespace
