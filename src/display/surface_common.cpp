// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/surface_common.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Floor of a / b for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Writes one device pixel: replaced, or blended by alpha.
void PutDevicePixel(uint8_t* data, int stride, int x, int y, Colour c, uint8_t alpha) {
  auto* pixel = reinterpret_cast<uint32_t*>(data + ptrdiff_t(y) * stride) + x;
  uint32_t channels[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
  if (alpha != 255) {
    const uint32_t old[3] = {(*pixel >> 16) & 0xFF, (*pixel >> 8) & 0xFF, *pixel & 0xFF};
    for (int i = 0; i < 3; ++i) channels[i] = (channels[i] * alpha + old[i] * (255u - alpha) + 127) / 255;
  }
  *pixel = 0xFF000000u | (channels[0] << 16) | (channels[1] << 8) | channels[2];
}

// Writes one surface pixel: `scale` by `scale` device pixels.
void PutPixel(uint8_t* data, int stride, int scale, int x, int y, Colour c, uint8_t alpha) {
  for (int dy = 0; dy < scale; ++dy) {
    for (int dx = 0; dx < scale; ++dx) PutDevicePixel(data, stride, x * scale + dx, y * scale + dy, c, alpha);
  }
}

}  // namespace

int RoundPixel(float value) {
  if (!std::isfinite(value)) return 0;
  // lrint follows the current rounding mode, which is to-nearest-even.
  const double clamped = std::fmax(-1e9, std::fmin(1e9, double(value)));
  return int(std::lrint(clamped));
}

void Record(SurfaceCommon& s, DrawOp::Kind kind, Colour colour, int x, int y, int w, int h, int rx, int ry) {
  if (s.recording == nullptr) return;
  DrawOp op;
  op.kind = kind;
  op.mode = s.mode;
  op.colour = colour;
  op.x = x, op.y = y, op.w = w, op.h = h, op.rx = rx, op.ry = ry;
  s.recording->push_back(std::move(op));
}

// One pixel per step along the longer axis, the other coordinate rounded to
// the nearest pixel; only the part on the picture is walked, so far-away ends
// cost nothing.
void PlotLine(SurfaceCommon& s, uint8_t* data, int stride, int x1, int y1, int x2, int y2, Colour colour) {
  if (data == nullptr) return;
  // Both ends included. RoundPixel keeps coordinates within ±1e9, so the sizes fit.
  Touch(s, std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1);
  const uint8_t alpha = s.mode == DrawMode::AlphaBlend ? AlphaOf(colour) : 255;
  const bool steep = std::abs(int64_t(y2) - y1) > std::abs(int64_t(x2) - x1);
  // Walk along a (x when shallow, y when steep), b follows.
  int64_t a1 = steep ? y1 : x1, b1 = steep ? x1 : y1, a2 = steep ? y2 : x2, b2 = steep ? x2 : y2;
  if (a2 < a1) std::swap(a1, a2), std::swap(b1, b2);
  const int64_t da = a2 - a1, db = b2 - b1;
  const int64_t aLimit = (steep ? s.height : s.width) - 1, bLimit = (steep ? s.width : s.height) - 1;
  for (int64_t a = std::max<int64_t>(a1, 0); a <= std::min(a2, aLimit); ++a) {
    const int64_t b = da == 0 ? b1 : b1 + FloorDiv((a - a1) * 2 * db + da, 2 * da);
    if (b < 0 || b > bLimit) continue;
    PutPixel(data, stride, s.scale, int(steep ? b : a), int(steep ? a : b), colour, alpha);
  }
}

void FillPixelBox(SurfaceCommon& s, uint8_t* data, int stride, int x, int y, int w, int h, Colour colour) {
  if (data == nullptr) return;
  const PixelArea box = OnSurface(s, x, y, w, h);
  const uint8_t alpha = s.mode == DrawMode::AlphaBlend ? AlphaOf(colour) : 255;
  if (alpha == 0) return;
  Touch(s, box.x, box.y, box.width, box.height);
  for (int row = box.y; row < box.y + box.height; ++row) {
    for (int column = box.x; column < box.x + box.width; ++column) {
      PutPixel(data, stride, s.scale, column, row, colour, alpha);
    }
  }
}

PixelRoundedBox RoundedBoxInPixels(float x, float y, float w, float h, float rx, float ry) {
  PixelRoundedBox box{RoundPixel(x), RoundPixel(y), RoundPixel(w), RoundPixel(h), RoundPixel(rx), RoundPixel(ry)};
  if (box.w < 0) box.x += box.w, box.w = -box.w;
  if (box.h < 0) box.y += box.h, box.h = -box.h;
  if (box.rx < 0) box.rx = 0;
  if (box.ry < 0) box.ry = 0;
  if (2 * box.rx > box.w) box.rx = box.w / 2;
  if (2 * box.ry > box.h) box.ry = box.h / 2;
  return box;
}

PixelArea OnSurface(const SurfaceCommon& s, int64_t x, int64_t y, int64_t w, int64_t h) {
  if (w < 0) x += w, w = -w;
  if (h < 0) y += h, h = -h;
  const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(x + w, s.width), bottom = std::min<int64_t>(y + h, s.height);
  if (right <= left || bottom <= top) return {};
  return {int(left), int(top), int(right - left), int(bottom - top)};
}

void StartTouching(SurfaceCommon& s) {
  s.touchedColumns.assign(size_t((s.height + kPresentBandRows - 1) / kPresentBandRows),
                          s.touchedWhileClosed ? std::pair{0, s.width} : std::pair{0, 0});
  s.touchedWhileClosed = false;
  s.drawn = {};
}

void Touch(SurfaceCommon& s, int x, int y, int w, int h) {
  if (s.onBackdrop) return;  // the picture is what is compared and shown
  if (!s.drawing) {
    s.touchedWhileClosed = true;  // the next closing compares the whole picture
    return;
  }
  const PixelArea box = OnSurface(s, x, y, w, h);
  if (box.width == 0) return;
  const int right = box.x + box.width, bottom = box.y + box.height;
  if (s.drawn.width == 0) {
    s.drawn = box;
  } else {
    const int drawnRight = std::max(s.drawn.x + s.drawn.width, right);
    const int drawnBottom = std::max(s.drawn.y + s.drawn.height, bottom);
    s.drawn.x = std::min(s.drawn.x, box.x), s.drawn.y = std::min(s.drawn.y, box.y);
    s.drawn.width = drawnRight - s.drawn.x, s.drawn.height = drawnBottom - s.drawn.y;
  }
  for (int band = box.y / kPresentBandRows; band <= (bottom - 1) / kPresentBandRows; ++band) {
    auto& [first, last] = s.touchedColumns[size_t(band)];
    if (last <= first) {
      first = box.x, last = right;
    } else {
      first = std::min(first, box.x), last = std::max(last, right);
    }
  }
}

void ChangePlacesWithBackdrop(SurfaceCommon& s) {
  if (!s.onBackdrop) {
    s.beforeBackdrop = {s.mode, s.font, s.recording};
    s.mode = DrawMode::Opaque;
    s.recording = nullptr;
  } else {
    s.mode = s.beforeBackdrop.mode;
    s.font = s.beforeBackdrop.font;
    s.recording = s.beforeBackdrop.recording;
    s.backdropDrawn = true;
  }
  s.onBackdrop = !s.onBackdrop;
}

void PutBackdropBack(SurfaceCommon& s, uint8_t* picture, const uint8_t* backdrop, int stride, PixelArea area) {
  if (!s.drawing || s.onBackdrop || !s.backdropDrawn || picture == nullptr || backdrop == nullptr) return;
  const PixelArea box = OnSurface(s, area.x, area.y, std::max(area.width, 0), std::max(area.height, 0));
  if (box.width == 0) return;
  const size_t offset = size_t(box.x) * size_t(s.scale) * 4, bytes = size_t(box.width) * size_t(s.scale) * 4;
  for (size_t y = size_t(box.y) * size_t(s.scale); y < size_t(box.y + box.height) * size_t(s.scale); ++y) {
    std::memcpy(picture + y * size_t(stride) + offset, backdrop + y * size_t(stride) + offset, bytes);
  }
  Touch(s, box.x, box.y, box.width, box.height);
}

void PresentChangedRows(SurfaceCommon& s, const uint8_t* data, int stride) {
  if (!s.present || data == nullptr) return;
  const int deviceWidth = s.width * s.scale, deviceHeight = s.height * s.scale;
  const size_t size = size_t(stride) * size_t(deviceHeight);
  if (s.presented.size() != size) {
    s.presented.assign(data, data + size);  // the first picture: shown whole
    s.present(0, 0, s.width, s.height);
    return;
  }
  // Bands of a few rows: each band shows the columns that changed in it.
  for (int top = 0; top < s.height; top += kPresentBandRows) {
    const auto [touchedFirst, touchedLast] = s.touchedColumns[size_t(top / kPresentBandRows)];
    if (touchedLast <= touchedFirst) continue;
    const int rows = std::min(kPresentBandRows, s.height - top);
    const int first = touchedFirst * s.scale, count = (touchedLast - touchedFirst) * s.scale;
    int left = deviceWidth, right = -1;
    for (int y = top * s.scale; y < (top + rows) * s.scale; ++y) {
      const auto* now = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride)) + first;
      auto* shown = reinterpret_cast<uint32_t*>(s.presented.data() + size_t(y) * size_t(stride)) + first;
      if (std::memcmp(now, shown, size_t(count) * 4) == 0) continue;
      int l = 0, r = count - 1;
      while (now[l] == shown[l]) ++l;
      while (now[r] == shown[r]) --r;
      left = std::min(left, first + l);
      right = std::max(right, first + r);
      std::memcpy(shown + l, now + l, size_t(r - l + 1) * 4);
    }
    if (right >= left) s.present(left / s.scale, top, right / s.scale - left / s.scale + 1, rows);
  }
}
