// SPDX-License-Identifier: GPL-3.0-or-later
#include "silent_clock.h"

#include <chrono>
#include <thread>
#include <vector>

#include "channel.h"
#include "frame_ring.h"

namespace orvelle {

constexpr int kSilentPeriodMs = 20;

void RunSilentClock(Mixer& mixer, int rateHz, const std::atomic<bool>& stop) {
  const size_t frames = size_t(rateHz) * kSilentPeriodMs / 1000;
  std::vector<float> discard(frames * kChannels);
  auto next = std::chrono::steady_clock::now();
  while (!stop.load(std::memory_order_acquire)) {
    MixChannels(mixer, discard.data(), frames);
    next += std::chrono::milliseconds(kSilentPeriodMs);
    std::this_thread::sleep_until(next);
  }
}

}  // namespace orvelle
