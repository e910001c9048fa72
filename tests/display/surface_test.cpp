// The surface's own work: the cached gradient against the rows it stands
// for, one-pixel lines, and the bounded cache of laid-out texts.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "display/gradient.h"
#include "display/surface.h"

namespace {

struct Canvas {
  Canvas() : s(CreateSurface(800, 300)) {
    BeginDrawing(*s);
    FillBox(*s, 0, 0, 800, 300, Rgb(9, 99, 199));
  }
  ~Canvas() { DestroySurface(s); }
  bool SamePixels(const Canvas& other) const {
    cairo_surface_flush(s->pixels);
    cairo_surface_flush(other.s->pixels);
    const int stride = cairo_image_surface_get_stride(s->pixels);
    for (int y = 0; y < s->height; ++y) {
      const auto* a = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s->pixels) + y * stride);
      const auto* b = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(other.s->pixels) + y * stride);
      for (int x = 0; x < s->width; ++x) {
        if ((a[x] & 0xFFFFFF) != (b[x] & 0xFFFFFF)) {
          ADD_FAILURE() << "first difference at " << x << "," << y;
          return false;
        }
      }
    }
    return true;
  }
  Surface* s;
};

TEST(SurfaceShortcuts, CachedGradientMatchesItsRows) {
  const struct {
    int x, y, w, h;
    Colour top, bottom;
  } cases[] = {{0, 0, 740, 320, Rgb(6, 14, 32), Rgb(2, 8, 20)},
               {10, 20, 300, 120, Rgb(250, 0, 10), Rgba(0, 255, 30, 0)},
               {-5, -7, 100, 2, Rgb(1, 2, 3), Rgb(200, 100, 50)}};
  Canvas cached, direct;
  std::vector<DrawOp> rows;
  direct.s->recording = &rows;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.w);
    for (int frame = 0; frame < 2; ++frame) {  // built, then copied from the cache
      DrawVerticalGradient(*cached.s, c.x, c.y, c.w, c.h, c.top, c.bottom);
    }
    rows.clear();
    DrawVerticalGradient(*direct.s, c.x, c.y, c.w, c.h, c.top, c.bottom);
    direct.s->recording = nullptr;
    for (const DrawOp& row : rows) FillBox(*direct.s, float(row.x), float(row.y), float(row.w), float(row.h), row.colour);
    direct.s->recording = &rows;
    EXPECT_TRUE(cached.SamePixels(direct));
  }
}

uint32_t PixelOf(Surface& s, int x, int y) {
  cairo_surface_flush(s.pixels);
  const auto* row = cairo_image_surface_get_data(s.pixels) + y * cairo_image_surface_get_stride(s.pixels);
  return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
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

TEST(SurfaceShortcuts, DrawnTextsKeepTheirLayouts) {
  Canvas c;
  PangoFontDescription* font = pango_font_description_from_string("Segoe UI 12");
  SelectFont(*c.s, font);
  for (int frame = 0; frame < 3; ++frame) {
    DrawText(*c.s, u"Pochette", 30, 30, Rgb(1, 1, 1));
    DrawText(*c.s, u"\U0001F508", 418, 229, Rgb(1, 1, 1));
    for (int n = 0; n < 50; ++n) TextWidth(*c.s, Text(size_t(n), u'x'));  // measuring evicts nothing
  }
  ASSERT_EQ(c.s->layouts.size(), 2u);
  EXPECT_EQ(c.s->layouts[0].text, u"Pochette");
  // Many different texts: the cache stays bounded.
  for (int n = 0; n < 100; ++n) DrawText(*c.s, Text(size_t(n % 40 + 1), u'y'), 0, 0, Rgb(1, 1, 1));
  EXPECT_LE(c.s->layouts.size(), 24u);
  EXPECT_GT(TextWidth(*c.s, u"Pochette"), 0.0f);
  pango_font_description_free(font);
}

TEST(SurfacePresent, OnlyWhatChangedIsShownAgain) {
  Surface* s = CreateSurface(100, 50);
  std::vector<std::array<int, 4>> shown;
  s->present = [&shown](int x, int y, int w, int h) { shown.push_back({x, y, w, h}); };
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

}  // namespace
