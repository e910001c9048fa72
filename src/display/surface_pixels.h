// SPDX-License-Identifier: GPL-3.0-or-later
// What the surface's front writes straight into a picture's memory, whatever
// the backend: one-pixel lines, and the boxes and pictures of a backend that
// leaves them to the front. Plain functions on memory: no backend, no state.
#pragma once

#include <cstdint>

#include "display/surface.h"

// A picture's memory: 32-bit words 0x..RRGGBB, `stride` bytes a row, at
// device resolution, each surface pixel covering the device pixels between
// its edges (DevicePixels); width and height in surface pixels.
struct PixelTarget {
  uint8_t* data = nullptr;
  int stride = 0;
  int width = 0, height = 0;
  float scale = 1;
};

// The part of a box that lies on a width by height surface, a negative side
// taken from the other side; an area of no pixels when none does.
PixelArea ClipToSurface(int width, int height, int64_t x, int64_t y, int64_t w, int64_t h);

// A one-pixel line from (x1, y1) to (x2, y2), both ends included: one pixel
// per step along the longer axis. Replaced, or blended by the colour's alpha
// below 255. Only the part on the picture is walked.
void PlotLine(const PixelTarget& to, int x1, int y1, int x2, int y2, Colour colour);

// A box already on the picture, replaced or blended as PlotLine does.
void FillPixels(const PixelTarget& to, PixelArea box, Colour colour);

// A picture of premultiplied pixels at its own size, its top-left corner at
// (x, y): copied where opaque, laid over the pixels elsewhere. Each of its
// pixels covers one surface pixel.
void CopyPicturePixels(const PixelTarget& to, const Picture& picture, int x, int y);

// A picture whose pixels are device pixels, its top-left corner on the
// device pixel where surface pixel (x, y) begins: copied where opaque, laid
// over the pixels elsewhere; what falls off the picture is left out.
void CopyDevicePicturePixels(const PixelTarget& to, const Picture& picture, int x, int y);

// The device pixels of an area (already on the picture) copied from another
// picture of the same size, scale and stride.
void CopyArea(const PixelTarget& to, const uint8_t* from, PixelArea area);
