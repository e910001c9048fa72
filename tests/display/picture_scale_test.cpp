// SPDX-License-Identifier: GPL-3.0-or-later
// A cover resampled to its box is smooth: a pattern finer than the box's
// pixels averages out instead of turning into noise, and an edge grows into
// a ramp instead of steps.
#include <gtest/gtest.h>

#include <algorithm>

#include "display/picture_scale.h"

namespace {

int Grey(uint32_t pixel) { return int(pixel & 0xFF); }

// Opaque black and white: a checkerboard of single pixels, or a left half
// black and a right half white.
Image Pattern(int width, int height, bool checkerboard) {
  Image picture = CreateImage(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool white = checkerboard ? (x + y) % 2 == 0 : x >= width / 2;
      picture->Row(y)[x] = white ? 0xFFFFFFFFu : 0xFF000000u;
    }
  }
  return picture;
}

TEST(PictureScale, ShrinkingAveragesAFinePattern) {
  const struct {
    int width, height;
  } sources[] = {{1000, 1000}, {999, 999}, {600, 600}, {520, 800}, {3000, 250}};
  for (const auto& source : sources) {
    SCOPED_TRACE(testing::Message() << source.width << "x" << source.height);
    const Image scaled = ResizePictureSmooth(*Pattern(source.width, source.height, true), 250, 250);
    ASSERT_NE(scaled, nullptr);
    ASSERT_EQ(scaled->width, 250);
    int darkest = 255, lightest = 0;
    for (int y = 0; y < 250; ++y) {
      for (int x = 0; x < 250; ++x) {
        darkest = std::min(darkest, Grey(scaled->Row(y)[x]));
        lightest = std::max(lightest, Grey(scaled->Row(y)[x]));
      }
    }
    // Half black, half white: mid-grey all over, give or take what an
    // interpolation between unequal blocks leaves.
    EXPECT_GE(darkest, 80);
    EXPECT_LE(lightest, 175);
  }
}

TEST(PictureScale, GrowingMakesARampOfAnEdge) {
  const Image scaled = ResizePictureSmooth(*Pattern(4, 4, false), 250, 250);
  ASSERT_NE(scaled, nullptr);
  const uint32_t* row = scaled->Row(125);
  int between = 0;
  for (int x = 1; x < 250; ++x) {
    EXPECT_GE(Grey(row[x]), Grey(row[x - 1])) << x;  // from black to white, never back
    between += Grey(row[x]) > 10 && Grey(row[x]) < 245;
  }
  EXPECT_EQ(Grey(row[0]), 0);
  EXPECT_EQ(Grey(row[249]), 255);
  EXPECT_GE(between, 30);  // the middle of four pixels spread over a quarter of the width
}

}  // namespace
