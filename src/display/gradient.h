#pragma once

#include <cstdint>

#include "display/colour.h"
#include "display/surface.h"

// Fills `height` one-pixel rows from `top` to `bottom` (alphas ignored), each
// row opaque; the first row is exactly `top` and the last exactly `bottom`.
void DrawVerticalGradient(Surface& s, int32_t x, int32_t y, int32_t width, int32_t height, Colour top, Colour bottom);
