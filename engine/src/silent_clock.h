// SPDX-License-Identifier: GPL-3.0-or-later
// Device 0, "no sound": a thread stands in for the audio device.
#pragma once

#include <atomic>

namespace orvelle {

struct Mixer;

// Mixes and discards every period at the real-time pace until `stop` is set,
// so streams are consumed as if heard. Also what an output falls back to when
// its device goes away mid-play.
void RunSilentClock(Mixer& mixer, int rateHz, const std::atomic<bool>& stop);

}  // namespace orvelle
