// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "display/view_caches.h"
#include "model/player_model.h"

// A smooth copy of `cover` stretched to `coverBox` (250 by 250); nullptr
// with an empty box or when the copy cannot be made. Any thread.
Image ScaledCover(const Picture& cover, const Box& coverBox);
// The same for the box's device pixels at display scale `scale`. Any thread.
Image DeviceScaledCover(const Picture& cover, const Box& coverBox, float scale);

// Rebuilds `coverScaled` as a smooth copy of `coverImage` stretched to the
// cover box (250 by 250). Does nothing without a cover or with an empty box.
void RescaleCover(SongState& song, const Box& coverBox);

// On a surface scaled above 1, keeps the view's copy of the cover at device
// resolution (made from `coverImage`, once per cover and scale); at scale 1,
// or without a cover, there is none.
void KeepDeviceCover(const SongState& song, const Box& coverBox, float scale, DeviceCover& sharp);
