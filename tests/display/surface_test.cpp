// SPDX-License-Identifier: GPL-3.0-or-later
// The surface's own work: rounding, the radius rule, the gradient, one-pixel
// lines, texts drawn the same whatever the backend kept of earlier ones, and
// what is shown again.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "display/gradient.h"
#include "display/surface.h"
#include "display/surface_backend.h"
#include "display/symbol_standins.h"
#include "text/text.h"
#include "view_fixture.h"

namespace {

uint32_t PixelOf(Surface& s, int x, int y) { return SurfacePixel(s, x, y); }

struct Canvas {
  static constexpr uint32_t kFill = 0x0963C7;  // (9, 99, 199)
  Canvas() : s(CreateSurface(800, 300)) {
    if (s == nullptr) throw std::runtime_error("CreateSurface(800, 300) gave no surface");  // fails the test
    BeginDrawing(*s);
    FillBox(*s, 0, 0, 800, 300, Rgb(9, 99, 199));
  }
  ~Canvas() { DestroySurface(s); }
  bool SamePixels(const Canvas& other) const {
    const PixelView a = SurfacePixels(*s), b = SurfacePixels(*other.s);
    for (int y = 0; y < a.height; ++y) {
      for (int x = 0; x < a.width; ++x) {
        if (DevicePixel(a, x, y) != DevicePixel(b, x, y)) {
          ADD_FAILURE() << "first difference at " << x << "," << y;
          return false;
        }
      }
    }
    return true;
  }
  Surface* s;
};

TEST(Gradient, RowsRunFromTopToBottomColourAndStayInTheirBox) {
  const struct {
    int x, y, w, h;
    Colour top, bottom;
  } cases[] = {{0, 0, 740, 320, Rgb(6, 14, 32), Rgb(2, 8, 20)},
               {10, 20, 300, 120, Rgb(250, 0, 10), Rgba(0, 255, 30, 0)},  // alphas are ignored
               {10, 20, 300, 120, Rgb(0, 0, 0), Rgb(255, 255, 255)},     // the same box in other colours
               {-5, -7, 100, 2, Rgb(1, 2, 3), Rgb(200, 100, 50)}};       // wholly above the surface
  GradientCache cache;  // one for all cases: each new gradient must replace the last
  for (const auto& c : cases) {
    SCOPED_TRACE(c.w);
    Canvas cached, direct;
    for (int frame = 0; frame < 2; ++frame) {  // built, then copied from the cache
      DrawVerticalGradient(*cached.s, cache, c.x, c.y, c.w, c.h, c.top, c.bottom);
    }
    DrawVerticalGradient(*direct.s, c.x, c.y, c.w, c.h, c.top, c.bottom);
    EXPECT_TRUE(cached.SamePixels(direct));

    Surface& s = *direct.s;
    const int left = std::max(c.x, 0), right = std::min(c.x + c.w, 800) - 1;
    const int firstRow = c.y, lastRow = c.y + c.h - 1;
    if (firstRow >= 0) {
      EXPECT_EQ(PixelOf(s, left, firstRow), Hex(c.top));
    }
    if (lastRow >= 0 && lastRow < 300) {
      EXPECT_EQ(PixelOf(s, right, lastRow), Hex(c.bottom));
    }
    // One colour across each row, each channel moving one way from top to bottom.
    uint32_t previous = Hex(c.top);
    for (int y = std::max(firstRow, 0); y <= std::min(lastRow, 299); ++y) {
      const uint32_t row = PixelOf(s, left, y);
      EXPECT_EQ(PixelOf(s, right, y), row) << y;
      for (int shift : {0, 8, 16}) {
        const int from = int(Hex(c.top) >> shift & 0xFF), to = int(Hex(c.bottom) >> shift & 0xFF);
        const int was = int(previous >> shift & 0xFF), now = int(row >> shift & 0xFF);
        EXPECT_TRUE(to >= from ? now >= was && now <= to : now <= was && now >= to) << y;
      }
      previous = row;
    }
    // Nothing beyond the box.
    if (c.x + c.w < 800) {
      EXPECT_EQ(PixelOf(s, c.x + c.w, std::max(c.y, 0)), Canvas::kFill);
    }
    if (c.x > 0) {
      EXPECT_EQ(PixelOf(s, c.x - 1, std::max(c.y, 0)), Canvas::kFill);
    }
    if (lastRow + 1 < 300) {
      EXPECT_EQ(PixelOf(s, left, std::max(lastRow + 1, 0)), Canvas::kFill);
    }
  }
}

TEST(Gradient, EmptyHeightDrawsNothingAndTwoRowsAreTheTwoColours) {
  Canvas canvas;
  DrawVerticalGradient(*canvas.s, 0, 0, 740, 0, Rgb(6, 14, 32), Rgb(2, 8, 20));
  DrawVerticalGradient(*canvas.s, 0, 0, 740, -3, Rgb(6, 14, 32), Rgb(2, 8, 20));
  EXPECT_EQ(PixelOf(*canvas.s, 0, 0), Canvas::kFill);
  DrawVerticalGradient(*canvas.s, 5, 7, 10, 2, Rgba(6, 14, 32, 0), Rgba(2, 8, 20, 9));
  EXPECT_EQ(PixelOf(*canvas.s, 5, 7), 0x060E20u);
  EXPECT_EQ(PixelOf(*canvas.s, 14, 8), 0x020814u);
  EXPECT_EQ(PixelOf(*canvas.s, 5, 9), Canvas::kFill);
  // The main view's 320 rows: the row in the middle has the colour halfway.
  DrawVerticalGradient(*canvas.s, 0, 0, 740, 320, Rgb(6, 14, 32), Rgb(2, 8, 20));
  EXPECT_EQ(PixelOf(*canvas.s, 100, 160), 0x040B1Au);  // t = 160/319: 4.006, 10.99, 25.98
  EXPECT_EQ(PixelOf(*canvas.s, 739, 299), 0x020815u);  // t = 299/319: 2.25, 8.38, 20.75
}

TEST(SurfaceLines, OnePixelPerStepBothEndsIncluded) {
  const struct {
    int x1, y1, x2, y2;
    std::vector<std::pair<int, int>> pixels;
  } cases[] = {
      {10, 50, 14, 50, {{10, 50}, {11, 50}, {12, 50}, {13, 50}, {14, 50}}},
      {14, 50, 10, 50, {{10, 50}, {11, 50}, {12, 50}, {13, 50}, {14, 50}}},
      {20, 10, 20, 13, {{20, 10}, {20, 11}, {20, 12}, {20, 13}}},
      {30, 30, 30, 30, {{30, 30}}},                                          // zero length: one pixel
      {40, 10, 44, 12, {{40, 10}, {41, 11}, {42, 11}, {43, 12}, {44, 12}}},  // slope 1/2, halves round up
      {50, 12, 52, 10, {{50, 12}, {51, 11}, {52, 10}}},
      {60, 10, 61, 14, {{60, 10}, {60, 11}, {61, 12}, {61, 13}, {61, 14}}},  // steep: one per row
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.x1) + "," + std::to_string(c.y1));
    Canvas canvas;
    DrawLine(*canvas.s, float(c.x1), float(c.y1), float(c.x2), float(c.y2), Rgb(255, 255, 255));
    std::vector<std::pair<int, int>> lit;
    for (int y = 0; y < 70; ++y) {
      for (int x = 0; x < 70; ++x) {
        if (PixelOf(*canvas.s, x, y) == 0xFFFFFF) lit.emplace_back(x, y);
      }
    }
    auto expected = c.pixels;
    std::sort(lit.begin(), lit.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lit, expected);
  }
}

TEST(SurfaceLines, FarEndsAreClippedAndBlendingFollowsTheMode) {
  Canvas canvas;
  // Ends a billion pixels away: only the visible part is walked.
  DrawLine(*canvas.s, -1e9f, 100.0f, 1e9f, 100.0f, Rgb(255, 255, 255));
  DrawLine(*canvas.s, std::nanf(""), 0.0f, 5.0f, 0.0f, Rgb(255, 255, 255));  // NaN rounds to 0
  EXPECT_EQ(PixelOf(*canvas.s, 0, 100), 0xFFFFFFu);
  EXPECT_EQ(PixelOf(*canvas.s, 799, 100), 0xFFFFFFu);
  EXPECT_EQ(PixelOf(*canvas.s, 3, 0), 0xFFFFFFu);
  SetDrawMode(*canvas.s, DrawMode::AlphaBlend);
  DrawLine(*canvas.s, 0, 200, 10, 200, Rgba(255, 255, 255, 0));  // invisible
  DrawLine(*canvas.s, 0, 201, 10, 201, Rgba(0, 0, 0, 128));
  EXPECT_EQ(PixelOf(*canvas.s, 5, 200), 0x0963C7u);
  EXPECT_EQ(PixelOf(*canvas.s, 5, 201), 0x043163u);  // 127/255 of (9, 99, 199)
  SetDrawMode(*canvas.s, DrawMode::TransparentText);
  DrawLine(*canvas.s, 0, 202, 10, 202, Rgba(0, 0, 0, 0));  // opaque whatever the alpha
  EXPECT_EQ(PixelOf(*canvas.s, 5, 202), 0x000000u);
}

TEST(SurfaceBoxes, SidesFarBeyondTheSurfaceAreClippedToIt) {
  Canvas canvas;
  FillBox(*canvas.s, 20, 30, 3e8f, 5, Rgb(0, 255, 0));  // from x 20 to far past the right edge
  FillBox(*canvas.s, 50, 1e8f, 10, -2e8f, Rgb(255, 0, 0));  // from far below to far above
  EXPECT_EQ(PixelOf(*canvas.s, 19, 32), Canvas::kFill);
  EXPECT_EQ(PixelOf(*canvas.s, 20, 32), 0x00FF00u);
  EXPECT_EQ(PixelOf(*canvas.s, 799, 34), 0x00FF00u);
  EXPECT_EQ(PixelOf(*canvas.s, 55, 0), 0xFF0000u);
  EXPECT_EQ(PixelOf(*canvas.s, 55, 299), 0xFF0000u);
  EXPECT_EQ(PixelOf(*canvas.s, 60, 100), Canvas::kFill);
}

TEST(SurfacePictures, OwnSizeCopiesOpaquePixelsAndBlendsTranslucentOnes) {
  Canvas canvas;
  Image picture = CreateImage(3, 1);
  // Premultiplied: opaque red, white at half alpha, nothing at all.
  picture->Row(0)[0] = 0xFFFF0000u;
  picture->Row(0)[1] = 0x80808080u;
  picture->Row(0)[2] = 0x00000000u;
  DrawPicture(*canvas.s, *picture, 10, 20);
  EXPECT_EQ(PixelOf(*canvas.s, 10, 20), 0xFF0000u);
  const uint32_t half = PixelOf(*canvas.s, 11, 20);  // 128 + 127/255 of (9, 99, 199)
  EXPECT_NEAR(int(half >> 16), 132, 1);
  EXPECT_NEAR(int(half >> 8 & 0xFF), 177, 1);
  EXPECT_NEAR(int(half & 0xFF), 227, 1);
  EXPECT_EQ(PixelOf(*canvas.s, 12, 20), Canvas::kFill);
  EXPECT_EQ(PixelOf(*canvas.s, 13, 20), Canvas::kFill);  // nothing beyond the picture
}

TEST(SurfaceFront, ABackendWithoutItsOptionalEntriesDrawsTheSamePicture) {
  // Where a backend leaves boxes and pictures at their own size out, the
  // front writes them itself: the same picture, at every scale the backend
  // draws at (blends may round one step apart).
  SurfaceBackend bare = DrawingBackend();
  bare.fillBox = nullptr;
  bare.drawPicture = nullptr;
  Image opaque = CreateImage(7, 5), translucent = CreateImage(7, 5);
  opaque->opaque = true;
  for (int i = 0; i < 35; ++i) {
    opaque->pixels[size_t(i)] = 0xFF000000u | uint32_t(i * 0x070503);
    translucent->pixels[size_t(i)] = i % 2 ? 0x80406080u : 0x00000000u;
  }
  auto draw = [&](Surface& s, int scale) {
    SetSurfaceScale(s, scale);
    EXPECT_TRUE(BeginDrawing(s));
    FillBox(s, 0, 0, 60, 40, Rgb(9, 99, 199));
    FillBox(s, 70, 30, -15, 20, Rgb(200, 10, 10));  // past the right and bottom edges
    FillRoundedBox(s, 3, 3, 20, 9, 0, 4, Rgb(10, 200, 10));  // no radius: a box
    DrawPicture(s, *opaque, -2, 20);
    DrawPictureStretched(s, *translucent, 30, 4, 7, 5);  // its own size
    SetDrawMode(s, DrawMode::AlphaBlend);
    FillBox(s, 10, 25, 30, 10, Rgba(255, 255, 255, 100));
    DrawPicture(s, *translucent, 55, 36);
    EndDrawing(s);
  };
  for (int scale : {1, 2}) {
    SCOPED_TRACE(scale);
    Surface* full = CreateSurface(60, 40);
    Surface* front = CreateSurfaceWith(bare, 60, 40);
    draw(*full, scale);
    draw(*front, scale);
    const PixelView a = SurfacePixels(*full), b = SurfacePixels(*front);
    EXPECT_EQ(a.width, b.width);
    int differing = 0;
    for (int y = 0; y < std::min(a.height, b.height); ++y) {
      for (int x = 0; x < std::min(a.width, b.width); ++x) {
        const uint32_t p = DevicePixel(a, x, y), q = DevicePixel(b, x, y);
        for (int shift : {0, 8, 16}) differing += std::abs(int(p >> shift & 0xFF) - int(q >> shift & 0xFF)) > 1;
      }
    }
    EXPECT_EQ(differing, 0);
    DestroySurface(full);
    DestroySurface(front);
  }
}

TEST(SurfaceText, TextsDrawTheSameWhateverWasDrawnOrMeasuredBefore) {
  // The backend keeps laid-out texts from frame to frame and reuses the
  // oldest when it has many: whatever it kept, a text must come out the same.
  const FontFace label{"Segoe UI", 12}, title{"Segoe UI", 18};
  Canvas fresh, churned;
  SelectFont(*fresh.s, label);
  DrawText(*fresh.s, u"Pochette", 30, 30, Rgb(1, 1, 1));
  SelectFont(*fresh.s, title);
  DrawText(*fresh.s, u"\U0001F508", 418, 229, Rgb(1, 1, 1));

  for (int n = 0; n < 100; ++n) {
    SelectFont(*churned.s, n % 2 ? label : title);
    DrawText(*churned.s, Text(size_t(n % 40 + 1), u'y'), 0, 0, Rgb(1, 1, 1));
    TextWidth(*churned.s, Text(size_t(n), u'x'));
  }
  FillBox(*churned.s, 0, 0, 800, 300, Rgb(9, 99, 199));
  SelectFont(*churned.s, label);
  DrawText(*churned.s, u"Pochette", 30, 30, Rgb(1, 1, 1));
  SelectFont(*churned.s, title);
  DrawText(*churned.s, u"\U0001F508", 418, 229, Rgb(1, 1, 1));
  EXPECT_TRUE(churned.SamePixels(fresh));
  SelectFont(*churned.s, label);
  SelectFont(*fresh.s, label);
  EXPECT_EQ(TextWidth(*churned.s, u"Pochette"), TextWidth(*fresh.s, u"Pochette"));
  EXPECT_GT(TextWidth(*churned.s, u"Pochette"), 0.0f);
  SelectFont(*churned.s, FontFace{});  // no font: nothing measured
  EXPECT_EQ(TextWidth(*churned.s, u"Pochette"), 0.0f);
}

// A backend with no face "Nowhere" and no glyph for any symbol, counting
// what it is asked.
int facesLookedFor = 0, glyphsAskedAbout = 0;
int OpenAnyButNowhere(BackendText* text, BackendPicture* picture, const FontFace& face, float& lineHeight) {
  ++facesLookedFor;
  return face.face == "Nowhere" ? -1 : DrawingBackend().text.openFont(text, picture, face, lineHeight);
}
bool NoGlyphs(BackendText*, BackendPicture*, int, std::u16string_view) { return ++glyphsAskedAbout, false; }

TEST(SurfaceText, WhatAFontLacksIsAskedOnceAndSymbolsItLacksAreTheirShapes) {
  SurfaceBackend glyphless = DrawingBackend();
  glyphless.text.openFont = OpenAnyButNowhere;
  glyphless.text.hasGlyphs = NoGlyphs;
  Surface* s = CreateSurfaceWith(glyphless, 100, 60);
  const FontFace nowhere{"Nowhere", 12}, label{"Segoe UI", 12};
  for (int frame = 0; frame < 3; ++frame) {
    BeginDrawing(*s);
    FillBox(*s, 0, 0, 100, 60, Rgb(0, 0, 0));
    SelectFont(*s, nowhere);
    EXPECT_EQ(SelectedFont(*s).points, 0);
    DrawText(*s, u"x", 0, 0, Rgb(255, 255, 255));
    SelectFont(*s, label);
    DrawText(*s, u"🔈", 10, 20, Rgb(200, 200, 220));
    EndDrawing(*s);
  }
  EXPECT_EQ(facesLookedFor, 2);
  EXPECT_EQ(glyphsAskedAbout, 1);
  // The shape alone, in the text's colour, its square centred in the line box.
  const auto speaker = SymbolStandIn(u"🔈", 16);
  ASSERT_TRUE(speaker);
  EXPECT_EQ(TextWidth(*s, u"🔈"), float(speaker->advance));
  const int top = RoundPixel(20 + (LineHeight(*s) - float(speaker->side)) / 2);
  int ink = 0, inShape = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 100; ++x) ink += PixelOf(*s, x, y) != 0;
  }
  for (const PixelArea& box : speaker->boxes) {
    inShape += box.width * box.height;
    EXPECT_EQ(PixelOf(*s, 10 + speaker->left + box.x, top + box.y), 0xC8C8DCu);
  }
  EXPECT_EQ(ink, inShape);
  EXPECT_GT(TextWidth(*s, u"Pochette"), 0.0f) << "other texts are measured as they are";
  DestroySurface(s);
}

TEST(SurfacePresent, OnlyWhatChangedIsShownAgain) {
  Surface* s = CreateSurface(100, 50);
  std::vector<std::array<int, 4>> shown;
  SetPresent(*s, [&shown](int x, int y, int w, int h) { shown.push_back({x, y, w, h}); });
  auto frame = [&](Colour fill, std::function<void()> extra = {}) {
    shown.clear();
    BeginDrawing(*s);
    FillBox(*s, 0, 0, 100, 50, fill);
    if (extra) extra();
    EndDrawing(*s);
    return shown;
  };
  using Rects = std::vector<std::array<int, 4>>;
  EXPECT_EQ(frame(Rgb(1, 2, 3)), (Rects{{0, 0, 100, 50}}));  // the first picture, whole
  EXPECT_EQ(frame(Rgb(1, 2, 3)), Rects{});                   // the same again: nothing
  // Everything changed: every band of rows, full width, and nothing more.
  const Rects all = frame(Rgb(1, 2, 4));
  int rows = 0;
  for (const auto& r : all) {
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[2], 100);
    EXPECT_EQ(r[1], rows);
    rows += r[3];
  }
  EXPECT_EQ(rows, 50);
  // Drawn over with the same colour: no change.
  EXPECT_EQ(frame(Rgb(1, 2, 4), [&] { DrawLine(*s, 99, 49, 99, 49, Rgb(1, 2, 4)); }), Rects{});
  // One pixel is enough, and only its band's columns are shown.
  const Rects one = frame(Rgb(1, 2, 4), [&] { DrawLine(*s, 97, 49, 98, 49, Rgb(9, 9, 9)); });
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0][0], 97);
  EXPECT_EQ(one[0][2], 2);
  EXPECT_LE(one[0][1], 49);
  EXPECT_GT(one[0][1] + one[0][3], 49);
  DestroySurface(s);
}

TEST(SurfaceScale, AtTwoEverySurfacePixelIsTwoByTwoAndTextsKeepTheirWidths) {
  Surface* s = CreateSurface(100, 50);
  std::vector<std::array<int, 4>> shown;
  SetPresent(*s, [&shown](int x, int y, int w, int h) { shown.push_back({x, y, w, h}); });
  BeginDrawing(*s);
  FillBox(*s, 0, 0, 100, 50, Rgb(9, 99, 199));
  const FontFace title{"Segoe UI", 18};
  SelectFont(*s, title);
  const float widthAtOne = TextWidth(*s, u"Night Song");
  EndDrawing(*s);

  SetSurfaceScale(*s, 2);
  EXPECT_EQ(SurfaceScale(*s), 1) << "the shown picture keeps its scale until the next drawing";
  shown.clear();
  BeginDrawing(*s);
  EXPECT_EQ(SurfaceScale(*s), 2);
  FillBox(*s, 0, 0, 100, 50, Rgb(9, 99, 199));
  FillBox(*s, 10, 20, 5, 3, Rgb(255, 0, 0));
  DrawLine(*s, 40, 30, 44, 32, Rgb(255, 255, 255));
  SelectFont(*s, title);
  EXPECT_EQ(TextWidth(*s, u"Night Song"), widthAtOne);
  EndDrawing(*s);
  using Rects = std::vector<std::array<int, 4>>;
  EXPECT_EQ(shown, (Rects{{0, 0, 100, 50}})) << "a new scale shows the whole picture, in surface pixels";

  const PixelView view = SurfacePixels(*s);
  ASSERT_EQ(view.width, 200);
  ASSERT_EQ(view.height, 100);
  EXPECT_EQ(view.scale, 2);
  // Each surface pixel is the same colour over its 2 by 2 device pixels,
  // and the shapes stand where they stand at scale 1.
  const std::vector<std::pair<int, int>> line = {{40, 30}, {41, 31}, {42, 31}, {43, 32}, {44, 32}};
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 100; ++x) {
      const bool box = x >= 10 && x < 15 && y >= 20 && y < 23;
      const bool onLine = std::find(line.begin(), line.end(), std::pair{x, y}) != line.end();
      const uint32_t expected = box ? 0xFF0000 : onLine ? 0xFFFFFF : 0x0963C7;
      for (int d = 0; d < 4; ++d) {
        ASSERT_EQ(DevicePixel(view, 2 * x + d % 2, 2 * y + d / 2), expected) << x << "," << y;
      }
    }
  }
  // A change is shown as the surface pixels it touches.
  shown.clear();
  BeginDrawing(*s);
  FillBox(*s, 0, 0, 100, 50, Rgb(9, 99, 199));
  FillBox(*s, 10, 20, 5, 3, Rgb(255, 0, 0));
  DrawLine(*s, 40, 30, 44, 32, Rgb(255, 255, 255));
  DrawLine(*s, 97, 45, 98, 45, Rgb(1, 1, 1));
  EndDrawing(*s);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0][0], 97);
  EXPECT_EQ(shown[0][2], 2);
  EXPECT_LE(shown[0][1], 45);
  EXPECT_GT(shown[0][1] + shown[0][3], 45);
  DestroySurface(s);
}

// How sharp the edges of an area are, from 0 to 1: the mean brightness step
// between neighbours in a row, weighted by the step, over the area's
// contrast. A step made in one pixel counts 1; one spread over two (a
// picture stretched smoothly to twice its size) about one half.
double EdgeSharpness(const PixelView& v, int left, int top, int right, int bottom) {
  const auto grey = [&](int x, int y) { return int(DevicePixel(v, x, y) >> 8 & 0xFF); };
  double lowest = 255, highest = 0, sum = 0, sumSquares = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      lowest = std::min<double>(lowest, grey(x, y)), highest = std::max<double>(highest, grey(x, y));
      if (x + 1 == right) continue;
      const double step = std::abs(grey(x + 1, y) - grey(x, y));
      sum += step, sumSquares += step * step;
    }
  }
  return sum == 0 || highest <= lowest ? 0 : sumSquares / sum / (highest - lowest);
}

// At any scale, whole or not: the picture is the surface's size at that
// scale; a box covers the device pixels between its rounded edges, and a
// pointer on any of them maps back to its surface pixels; texts keep their
// widths, and are drawn at the device's resolution: the same as the text
// drawn at scale 1 in a font that many times larger (a picture drawn at
// scale 1 and stretched would blur or block every edge of it).
TEST(SurfaceScale, ShapesLandOnRoundedEdgesAndTextIsDrawnAtDeviceResolution) {
  const FontFace face{"Segoe UI", 12};
  constexpr int kTextX = 32, kTextY = 8;  // whole device pixels at every scale below
  auto drawOn = [](Surface& s, float scale, const FontFace& font, int x, int y, bool withBox) {
    SetSurfaceScale(s, scale);
    EXPECT_TRUE(BeginDrawing(s));
    FillBox(s, 0, 0, float(SurfaceWidth(s)), float(SurfaceHeight(s)), Rgb(255, 255, 255));
    if (withBox) FillBox(s, 10, 22, 5, 3, Rgb(255, 0, 0));
    SetDrawMode(s, DrawMode::TransparentText);
    SelectFont(s, font);
    DrawText(s, u"Night Song", float(x), float(y), Rgb(0, 0, 0));
    const float width = TextWidth(s, u"Night Song");
    EndDrawing(s);
    return width;
  };
  Surface* one = CreateSurface(120, 40);
  const float widthAtOne = drawOn(*one, 1, face, kTextX, kTextY, true);
  DestroySurface(one);

  const struct {
    float scale;
    int width, height;  // of the picture, in device pixels
    int boxLeft, boxRight, boxTop, boxBottom;
  } cases[] = {
      {1.0f, 120, 40, 10, 15, 22, 25},
      {1.25f, 150, 50, 13, 19, 28, 31},  // 12.5 to 13, 18.75 to 19, 27.5 to 28, 31.25 to 31
      {1.5f, 180, 60, 15, 23, 33, 38},   // 22.5 to 23, 37.5 to 38: halves away from zero
      {2.0f, 240, 80, 20, 30, 44, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    Surface* s = CreateSurface(120, 40);
    EXPECT_EQ(drawOn(*s, c.scale, face, kTextX, kTextY, true), widthAtOne);
    const PixelView view = SurfacePixels(*s);
    ASSERT_EQ(view.width, c.width);
    ASSERT_EQ(view.height, c.height);
    for (int y = c.boxTop - 2; y < c.boxBottom + 2; ++y) {
      for (int x = c.boxLeft - 2; x < c.boxRight + 2; ++x) {
        const bool inside = x >= c.boxLeft && x < c.boxRight && y >= c.boxTop && y < c.boxBottom;
        EXPECT_EQ(DevicePixel(view, x, y), inside ? 0xFF0000u : 0xFFFFFFu) << x << "," << y;
        const int px = SurfacePixelAt(x, c.scale), py = SurfacePixelAt(y, c.scale);
        EXPECT_EQ(inside, px >= 10 && px < 15 && py >= 22 && py < 25) << x << "," << y;
      }
    }

    // The text against the same text drawn at scale 1, the font and its
    // place that many times larger, over the device rows of its line (the
    // box left out): as sharp, and at scale 2 not in blocks of 2 by 2.
    Surface* large = CreateSurface(c.width, c.height);
    drawOn(*large, 1, {face.face, int(std::lround(face.points * c.scale))}, int(kTextX * c.scale),
           int(kTextY * c.scale), false);
    const PixelView reference = SurfacePixels(*large);
    const int top = 0, bottom = DevicePixels(20, c.scale), left = DevicePixels(kTextX - 2, c.scale);
    const double sharp = EdgeSharpness(view, left, top, c.width, bottom);
    const double sharpLarge = EdgeSharpness(reference, left, top, c.width, bottom);
    int blocks = 0, split = 0;  // of 2 by 2 device pixels, not all white
    for (int y = top; y + 1 < bottom; y += 2) {
      for (int x = left; x + 1 < c.width; x += 2) {
        const uint32_t p = DevicePixel(view, x, y), q[] = {DevicePixel(view, x + 1, y), DevicePixel(view, x, y + 1),
                                                         DevicePixel(view, x + 1, y + 1)};
        blocks += p != 0xFFFFFF || q[0] != 0xFFFFFF || q[1] != 0xFFFFFF || q[2] != 0xFFFFFF;
        split += p != q[0] || p != q[1] || p != q[2];
      }
    }
    std::cout << "scale " << c.scale << ": edge sharpness " << sharp << " (larger font " << sharpLarge << "), " << split
              << " of " << blocks << " inked 2x2 blocks split\n";
    EXPECT_GE(sharp, 0.85 * sharpLarge);
    EXPECT_TRUE(c.scale != 2 || split > blocks / 3) << "drawn at scale 1 and each pixel doubled";
    DestroySurface(large);
    DestroySurface(s);
  }
}

TEST(Surface, RoundsHalfToEven) {
  const std::pair<float, int> cases[] = {{0.5f, 0}, {1.5f, 2}, {2.5f, 2}, {-0.5f, 0}, {-1.5f, -2}, {2.4f, 2}, {2.6f, 3}};
  for (const auto& [in, out] : cases) EXPECT_EQ(RoundPixel(in), out) << in;
  EXPECT_EQ(RoundPixel(std::nanf("")), 0);
}

TEST(SurfaceRecord, RoundedBoxRadiusAndNegativeSizeRules) {
  Canvas canvas;
  std::vector<DrawOp> ops;
  SetRecording(*canvas.s, &ops);
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
    FillRoundedBox(*canvas.s, c.x, c.y, c.w, c.h, c.rx, c.ry, Rgb(1, 2, 3));
    ASSERT_EQ(ops.size(), 1u);
    const DrawOp& op = ops[0];
    EXPECT_EQ((std::array{op.x, op.y, op.w, op.h, op.rx, op.ry}), (std::array{c.ex, c.ey, c.ew, c.eh, c.erx, c.ery}));
  }
}

TEST(SurfaceRecord, ShapesRoundTheirCoordinates) {
  Canvas canvas;
  std::vector<DrawOp> ops;
  SetRecording(*canvas.s, &ops);
  FillBox(*canvas.s, 10.5f, 11.5f, 6.5f, 2.5f, Rgb(9, 9, 9));
  FillCircle(*canvas.s, 750.5f, 247.4f, 7.5f, Rgb(9, 9, 9));
  DrawLine(*canvas.s, 0.5f, 1.5f, 2.5f, 3.5f, Rgb(9, 9, 9));
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ((std::array{ops[0].x, ops[0].y, ops[0].w, ops[0].h}), (std::array{10, 12, 6, 2}));
  EXPECT_EQ((std::array{ops[1].x, ops[1].y, ops[1].w}), (std::array{750, 247, 8}));
  EXPECT_EQ((std::array{ops[2].x, ops[2].y, ops[2].w, ops[2].h}), (std::array{0, 2, 2, 4}));
}

}  // namespace
