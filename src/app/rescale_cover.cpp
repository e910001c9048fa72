// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/rescale_cover.h"

#include "display/picture_scale.h"
#include "display/surface.h"
#include "os/log.h"

Image ScaledCover(const Picture& cover, const Box& coverBox) {
  if (!(coverBox.width > 0) || !(coverBox.height > 0)) return nullptr;
  Image scaled = ResizePictureSmooth(cover, RoundPixel(coverBox.width), RoundPixel(coverBox.height));
  if (scaled == nullptr) LogDiagnostic("the cover cannot be resized");
  return scaled;
}

void RescaleCover(SongState& song, const Box& box) {
  if (song.coverImage == nullptr || !(box.width > 0) || !(box.height > 0)) return;
  FreeImage(song.coverScaled);
  // On failure coverScaled stays empty and the view stretches coverImage instead.
  song.coverScaled = ScaledCover(*song.coverImage, box);
}

Image DeviceScaledCover(const Picture& cover, const Box& coverBox, float scale) {
  if (!(coverBox.width > 0) || !(coverBox.height > 0)) return nullptr;
  // The device pixels between the box's edges, wherever a scale that is not
  // whole puts them.
  const int x = RoundPixel(coverBox.x), y = RoundPixel(coverBox.y);
  const int w = RoundPixel(coverBox.width), h = RoundPixel(coverBox.height);
  return ResizePictureSmooth(cover, DevicePixels(x + w, scale) - DevicePixels(x, scale),
                             DevicePixels(y + h, scale) - DevicePixels(y, scale));
}

void KeepDeviceCover(const SongState& song, const Box& box, float scale, DeviceCover& sharp) {
  if (scale <= 1 || song.coverImage == nullptr || !(box.width > 0) || !(box.height > 0)) {
    FreeImage(sharp.picture);
    return;
  }
  if (sharp.picture != nullptr && sharp.cover == song.coverSerial && sharp.scale == scale) return;
  // Without it the view shows the 250 by 250 copy, each pixel doubled.
  sharp = {song.coverSerial, scale, DeviceScaledCover(*song.coverImage, box, scale)};
}
