// SPDX-License-Identifier: GPL-3.0-or-later
// The vertical gradient fill that both windows draw behind everything else.
#pragma once

#include <cstdint>

#include "display/surface.h"

// Fills `height` one-pixel rows from `top` to `bottom` (alphas ignored), each
// row opaque; the first row is exactly `top` and the last exactly `bottom`.
// Nothing for a height of 0 or less.
void DrawVerticalGradient(Surface& s, int32_t x, int32_t y, int32_t width, int32_t height, Colour top, Colour bottom);

// A gradient drawn on every frame is made into a picture once and copied
// afterwards; the cache holds that picture for its caller. On a surface
// scaled above 1 the picture is made at device resolution, each row over the
// device rows between its edges, so that the copy is a copy and not a resampling.
struct GradientCache {
  int32_t width = 0, height = 0;
  Colour top = 0, bottom = 0;
  float scale = 1;
  Image picture;
};
void DrawVerticalGradient(Surface& s, GradientCache& cache, int32_t x, int32_t y, int32_t width, int32_t height,
                          Colour top, Colour bottom);

// The gradient's rows as a picture of its own size at `scale` (DevicePixels
// of each side); nullptr when either side is not positive.
Image GradientPicture(int32_t width, int32_t height, Colour top, Colour bottom, float scale = 1);
