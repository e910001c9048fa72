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

void RescaleCover(Player& player) {
  const Box& box = player.layout.coverBox;
  if (player.coverImage == nullptr || !(box.width > 0) || !(box.height > 0)) return;
  FreeImage(player.coverScaled);
  // On failure coverScaled stays empty and the view stretches coverImage instead.
  player.coverScaled = ScaledCover(*player.coverImage, box);
}

Image DeviceScaledCover(const Picture& cover, const Box& coverBox, int scale) {
  if (!(coverBox.width > 0) || !(coverBox.height > 0)) return nullptr;
  return ResizePictureSmooth(cover, RoundPixel(coverBox.width) * scale, RoundPixel(coverBox.height) * scale);
}

void KeepDeviceCover(Player& player, int scale) {
  DeviceCover& sharp = player.viewCaches.deviceCover;
  const Box& box = player.layout.coverBox;
  if (scale <= 1 || player.coverImage == nullptr || !(box.width > 0) || !(box.height > 0)) {
    FreeImage(sharp.picture);
    return;
  }
  if (sharp.picture != nullptr && sharp.cover == player.coverSerial && sharp.scale == scale) return;
  // Without it the view shows the 250 by 250 copy, each pixel doubled.
  sharp = {player.coverSerial, scale, DeviceScaledCover(*player.coverImage, box, scale)};
}
