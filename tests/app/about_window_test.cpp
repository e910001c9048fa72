// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_window.h"

#include <gtest/gtest.h>

#include <array>

#include "app/fonts.h"
#include "display/gradient.h"
#include "frame_fixture.h"

namespace {

constexpr int kWidth = kAboutWindow.width, kHeight = kAboutWindow.height;
const std::string kSite = "http://radio.example:8080/";

TEST(AboutWindow, DrawsLogoOrDiscAndTheTexts) {
  Look look;
  for (bool withLogo : {true, false}) {
    SCOPED_TRACE(withLogo);
    Surface* surface = CreateSurface(kWidth, kHeight);
    std::vector<DrawOp> ops;
    SetRecording(*surface, &ops);
    look.logoImage = withLogo ? CreateImage(256, 256) : nullptr;
    DrawAboutWindow(look, kSite, *surface);
    ASSERT_EQ(ops.size(), 1u + 1 + std::size(kAboutLines));  // the gradient, logo or disc, the texts
    EXPECT_EQ((std::array{ops[0].x, ops[0].y, ops[0].w, ops[0].h}), (std::array{0, 0, kWidth, kHeight}));
    EXPECT_EQ(SurfacePixel(*surface, 500, 0), Hex(kAboutGradientTop));
    EXPECT_EQ(SurfacePixel(*surface, 500, kHeight - 1), Hex(kAboutGradientBottom));
    const DrawOp& logo = ops[1];
    if (withLogo) {
      EXPECT_EQ((std::array{logo.x, logo.y, logo.w, logo.h}),
                (std::array{kAboutLogoX, kAboutLogoY, kAboutLogoSize, kAboutLogoSize}));
    } else {
      EXPECT_EQ(logo.kind, DrawOp::Kind::Circle);
      EXPECT_EQ(logo.mode, DrawMode::Opaque);  // its colour's alpha is not blended
      EXPECT_EQ((std::array{logo.x, logo.y, logo.w}), (std::array{kAboutDiscX, kAboutDiscY, kAboutDiscRadius}));
    }
    // The offer names the station's host, and nothing else of its address.
    EXPECT_NE(ops[3].text.find(" radio.example "), std::string::npos) << ops[3].text;
    FreeImage(look.logoImage);
    DestroySurface(surface);
  }
}

// The texts as the window shows them: its picture, the logo aside, is the
// gradient with each line drawn on it without a background, the last one
// 40 pixels above the bottom edge, pixel for pixel.
TEST(AboutWindow, TextsInTheirFontsColoursAndPlaces) {
  Look look;
  LoadFonts(look.fonts);
  Surface* shown = CreateSurface(kWidth, kHeight);
  Surface* expected = CreateSurface(kWidth, kHeight);
  ASSERT_TRUE(shown && expected);
  DrawAboutWindow(look, kSite, *shown);
  ASSERT_TRUE(BeginDrawing(*expected));
  DrawVerticalGradient(*expected, 0, 0, kWidth, kHeight, kAboutGradientTop, kAboutGradientBottom);
  SetDrawMode(*expected, DrawMode::TransparentText);
  for (const AboutLine& line : kAboutLines) {
    SelectFont(*expected, look.fonts.*line.font);
    DrawText(*expected, AboutLineText(line, u"radio.example"), line.x, line.y >= 0 ? line.y : kHeight - 40.0f,
             line.colour);
  }
  EndDrawing(*expected);

  int differing = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool logo = x >= 40 && x < 300 && y >= 40 && y < 300;  // the stand-in disc, checked above
      if (logo || SurfacePixel(*shown, x, y) == SurfacePixel(*expected, x, y)) continue;
      if (differing++ == 0) firstX = x, firstY = y;
    }
  }
  EXPECT_EQ(differing, 0) << "first at (" << firstX << ", " << firstY << ")";
  DestroySurface(shown);
  DestroySurface(expected);
}

}  // namespace
