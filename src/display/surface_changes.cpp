// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/surface_changes.h"

#include <algorithm>
#include <cstring>

void StartTouching(SurfaceChanges& changes, int width, int height) {
  changes.touchedColumns.assign(size_t((height + kPresentBandRows - 1) / kPresentBandRows),
                                changes.touchedWhileClosed ? std::pair{0, width} : std::pair{0, 0});
  changes.touchedWhileClosed = false;
  changes.drawn = {};
}

void TouchArea(SurfaceChanges& changes, PixelArea box) {
  if (box.width <= 0 || box.height <= 0) return;
  const int right = box.x + box.width, bottom = box.y + box.height;
  PixelArea& drawn = changes.drawn;
  if (drawn.width == 0) {
    drawn = box;
  } else {
    const int drawnRight = std::max(drawn.x + drawn.width, right);
    const int drawnBottom = std::max(drawn.y + drawn.height, bottom);
    drawn.x = std::min(drawn.x, box.x), drawn.y = std::min(drawn.y, box.y);
    drawn.width = drawnRight - drawn.x, drawn.height = drawnBottom - drawn.y;
  }
  for (int band = box.y / kPresentBandRows; band <= (bottom - 1) / kPresentBandRows; ++band) {
    if (size_t(band) >= changes.touchedColumns.size()) break;
    auto& [first, last] = changes.touchedColumns[size_t(band)];
    if (last <= first) {
      first = box.x, last = right;
    } else {
      first = std::min(first, box.x), last = std::max(last, right);
    }
  }
}

void PresentChangedRows(SurfaceChanges& changes, const PixelTarget& picture, const PresentFn& present) {
  if (!present || picture.data == nullptr) return;
  const float scale = picture.scale;
  const int width = picture.width, height = picture.height;
  const size_t size = size_t(picture.stride) * size_t(DevicePixels(height, scale));
  if (changes.presented.size() != size) {
    changes.presented.assign(picture.data, picture.data + size);  // the first picture: shown whole
    present(0, 0, width, height);
    return;
  }
  // Bands of a few rows: each band shows the columns that changed in it.
  for (int top = 0; top < height; top += kPresentBandRows) {
    const auto [touchedFirst, touchedLast] = changes.touchedColumns[size_t(top / kPresentBandRows)];
    if (touchedLast <= touchedFirst) continue;
    const int rows = std::min(kPresentBandRows, height - top);
    const int first = DevicePixels(touchedFirst, scale), count = DevicePixels(touchedLast, scale) - first;
    int left = DevicePixels(width, scale), right = -1;
    for (int y = DevicePixels(top, scale); y < DevicePixels(top + rows, scale); ++y) {
      const size_t rowStart = size_t(y) * size_t(picture.stride);
      const auto* now = reinterpret_cast<const uint32_t*>(picture.data + rowStart) + first;
      auto* shown = reinterpret_cast<uint32_t*>(changes.presented.data() + rowStart) + first;
      if (std::memcmp(now, shown, size_t(count) * 4) == 0) continue;
      int l = 0, r = count - 1;
      while (now[l] == shown[l]) ++l;
      while (now[r] == shown[r]) --r;
      left = std::min(left, first + l);
      right = std::max(right, first + r);
      std::memcpy(shown + l, now + l, size_t(r - l + 1) * 4);
    }
    if (right < left) continue;
    const int leftPixel = SurfacePixelAt(left, scale);
    present(leftPixel, top, SurfacePixelAt(right, scale) - leftPixel + 1, rows);
  }
}
