// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/surface_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Floor of a / b for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

uint32_t* DeviceRow(const PixelTarget& to, int deviceY) {
  return reinterpret_cast<uint32_t*>(to.data + ptrdiff_t(deviceY) * to.stride);
}

// Writes one device pixel: replaced, or blended by the colour's alpha.
void PutDevicePixel(uint32_t* pixel, Colour c) {
  const uint32_t alpha = AlphaOf(c);
  uint32_t channels[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
  if (alpha != 255) {
    const uint32_t old[3] = {(*pixel >> 16) & 0xFF, (*pixel >> 8) & 0xFF, *pixel & 0xFF};
    for (int i = 0; i < 3; ++i) channels[i] = (channels[i] * alpha + old[i] * (255u - alpha) + 127) / 255;
  }
  *pixel = 0xFF000000u | (channels[0] << 16) | (channels[1] << 8) | channels[2];
}

// Writes the device pixels of a box of surface pixels (on the picture).
void PutBox(const PixelTarget& to, PixelArea box, Colour c) {
  const int left = DevicePixels(box.x, to.scale), right = DevicePixels(box.x + box.width, to.scale);
  const int bottom = DevicePixels(box.y + box.height, to.scale);
  for (int y = DevicePixels(box.y, to.scale); y < bottom; ++y) {
    uint32_t* row = DeviceRow(to, y);
    for (int x = left; x < right; ++x) PutDevicePixel(row + x, c);
  }
}

void PutPixel(const PixelTarget& to, int x, int y, Colour c) { PutBox(to, {x, y, 1, 1}, c); }

// A premultiplied pixel laid over an opaque one.
uint32_t Over(uint32_t p, uint32_t under) {
  const uint32_t keep = 255 - (p >> 24);
  uint32_t out = 0xFF000000u;
  for (int shift : {0, 8, 16}) {
    const uint32_t channel = ((p >> shift) & 0xFF) + (((under >> shift) & 0xFF) * keep + 127) / 255;
    out |= std::min<uint32_t>(channel, 255) << shift;
  }
  return out;
}

}  // namespace

int DevicePixels(int edge, float scale) {
  // Clamped: an edge far off the surface, times the scale, must still fit.
  return int(std::clamp(std::round(double(edge) * double(scale)), -2e9, 2e9));
}

int SurfacePixelAt(int device, float scale) {
  if (!(scale >= 1)) return device;
  // The division's guess is off by at most one where rounding moved an edge.
  int x = int(std::floor(double(device) / double(scale)));
  while (DevicePixels(x + 1, scale) <= device) ++x;
  while (DevicePixels(x, scale) > device) --x;
  return x;
}

PixelArea ClipToSurface(int width, int height, int64_t x, int64_t y, int64_t w, int64_t h) {
  if (w < 0) x += w, w = -w;
  if (h < 0) y += h, h = -h;
  const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(x + w, width), bottom = std::min<int64_t>(y + h, height);
  if (right <= left || bottom <= top) return {};
  return {int(left), int(top), int(right - left), int(bottom - top)};
}

// The other coordinate rounded to the nearest pixel; only the part on the
// picture is walked, so far-away ends cost nothing.
void PlotLine(const PixelTarget& to, int x1, int y1, int x2, int y2, Colour colour) {
  if (to.data == nullptr) return;
  const bool steep = std::abs(int64_t(y2) - y1) > std::abs(int64_t(x2) - x1);
  // Walk along a (x when shallow, y when steep), b follows.
  int64_t a1 = steep ? y1 : x1, b1 = steep ? x1 : y1, a2 = steep ? y2 : x2, b2 = steep ? x2 : y2;
  if (a2 < a1) std::swap(a1, a2), std::swap(b1, b2);
  const int64_t da = a2 - a1, db = b2 - b1;
  const int64_t aLimit = (steep ? to.height : to.width) - 1, bLimit = (steep ? to.width : to.height) - 1;
  for (int64_t a = std::max<int64_t>(a1, 0); a <= std::min(a2, aLimit); ++a) {
    const int64_t b = da == 0 ? b1 : b1 + FloorDiv((a - a1) * 2 * db + da, 2 * da);
    if (b < 0 || b > bLimit) continue;
    PutPixel(to, int(steep ? b : a), int(steep ? a : b), colour);
  }
}

void FillPixels(const PixelTarget& to, PixelArea box, Colour colour) {
  if (to.data == nullptr) return;
  PutBox(to, box, colour);
}

void CopyPicturePixels(const PixelTarget& to, const Picture& picture, int x, int y) {
  if (to.data == nullptr) return;
  const PixelArea box = ClipToSurface(to.width, to.height, x, y, picture.width, picture.height);
  if (box.width == 0) return;
  // The device columns' edges of the box, once for all its rows.
  std::vector<int> columns(size_t(box.width) + 1);
  for (int i = 0; i <= box.width; ++i) columns[size_t(i)] = DevicePixels(box.x + i, to.scale);
  for (int row = box.y; row < box.y + box.height; ++row) {
    const uint32_t* from = picture.Row(row - y) + (box.x - x);
    for (int deviceY = DevicePixels(row, to.scale); deviceY < DevicePixels(row + 1, to.scale); ++deviceY) {
      uint32_t* out = DeviceRow(to, deviceY);
      if (picture.opaque && to.scale == 1) {
        std::memcpy(out + box.x, from, size_t(box.width) * 4);
        continue;
      }
      for (int i = 0; i < box.width; ++i) {
        for (int deviceX = columns[size_t(i)]; deviceX < columns[size_t(i) + 1]; ++deviceX) {
          out[deviceX] = picture.opaque ? from[i] : Over(from[i], out[deviceX]);
        }
      }
    }
  }
}

void CopyDevicePicturePixels(const PixelTarget& to, const Picture& picture, int x, int y) {
  if (to.data == nullptr) return;
  const int left = DevicePixels(x, to.scale), top = DevicePixels(y, to.scale);
  const PixelArea box = ClipToSurface(DevicePixels(to.width, to.scale), DevicePixels(to.height, to.scale), left, top,
                                      picture.width, picture.height);
  for (int row = box.y; row < box.y + box.height; ++row) {
    const uint32_t* from = picture.Row(row - top) + (box.x - left);
    uint32_t* out = DeviceRow(to, row) + box.x;
    if (picture.opaque) {
      std::memcpy(out, from, size_t(box.width) * 4);
      continue;
    }
    for (int i = 0; i < box.width; ++i) out[i] = Over(from[i], out[i]);
  }
}

void CopyArea(const PixelTarget& to, const uint8_t* from, PixelArea area) {
  if (to.data == nullptr || from == nullptr) return;
  const int left = DevicePixels(area.x, to.scale), right = DevicePixels(area.x + area.width, to.scale);
  const size_t offset = size_t(left) * 4, bytes = size_t(right - left) * 4;
  const int bottom = DevicePixels(area.y + area.height, to.scale);
  for (size_t y = size_t(DevicePixels(area.y, to.scale)); y < size_t(bottom); ++y) {
    std::memcpy(to.data + y * size_t(to.stride) + offset, from + y * size_t(to.stride) + offset, bytes);
  }
}
