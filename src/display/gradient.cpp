// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/gradient.h"

#include <cmath>

namespace {

uint8_t Mix(uint8_t from, uint8_t to, float t) {
  const float value = float(from) + float(int(to) - int(from)) * t;
  return uint8_t(std::lrint(value));  // nearest, ties to even
}

}  // namespace

Image GradientPicture(int32_t width, int32_t height, Colour top, Colour bottom, float scale) {
  if (width <= 0 || height <= 0 || !(scale >= 1)) return nullptr;
  const int deviceWidth = DevicePixels(width, scale);
  Image picture = CreateImage(deviceWidth, DevicePixels(height, scale));
  if (picture == nullptr) return nullptr;
  picture->opaque = true;
  for (int32_t i = 0; i < height; ++i) {
    // A single row has no bottom end; it takes the top colour.
    const float t = height > 1 ? float(i) / float(height - 1) : 0.0f;
    const uint32_t pixel = 0xFF000000u | uint32_t(Mix(RedOf(top), RedOf(bottom), t)) << 16 |
                           uint32_t(Mix(GreenOf(top), GreenOf(bottom), t)) << 8 |
                           uint32_t(Mix(BlueOf(top), BlueOf(bottom), t));
    for (int deviceRow = DevicePixels(i, scale); deviceRow < DevicePixels(i + 1, scale); ++deviceRow) {
      uint32_t* row = picture->Row(deviceRow);
      for (int32_t x = 0; x < deviceWidth; ++x) row[x] = pixel;
    }
  }
  return picture;
}

void DrawVerticalGradient(Surface& s, int32_t x, int32_t y, int32_t width, int32_t height, Colour top, Colour bottom) {
  if (height <= 0) return;
  if (const Image picture = GradientPicture(width, height, top, bottom)) DrawPicture(s, *picture, float(x), float(y));
}

void DrawVerticalGradient(Surface& s, GradientCache& cache, int32_t x, int32_t y, int32_t width, int32_t height,
                          Colour top, Colour bottom) {
  if (height <= 0) return;
  const float scale = SurfaceScale(s);
  if (cache.picture == nullptr || cache.width != width || cache.height != height || cache.top != top ||
      cache.bottom != bottom || cache.scale != scale) {
    cache = {width, height, top, bottom, scale, GradientPicture(width, height, top, bottom, scale)};
  }
  if (cache.picture == nullptr) return;
  if (scale == 1) {
    DrawPicture(s, *cache.picture, float(x), float(y));
  } else {
    DrawPictureStretched(s, *cache.picture, float(x), float(y), float(width), float(height));
  }
}
