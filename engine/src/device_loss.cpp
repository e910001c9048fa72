// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_loss.h"

#include <algorithm>
#include <vector>

#include "channel.h"

namespace orvelle {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kUnheardPeriod{20};
constexpr milliseconds kFirstReopenDelay{100}, kMaxReopenDelay{500};

milliseconds ReopenDelay(int failedTries) {
  if (failedTries <= 0) return milliseconds(0);
  milliseconds delay = kFirstReopenDelay;
  for (int i = 1; i < failedTries && delay < kMaxReopenDelay; ++i) delay *= 2;
  return std::min(delay, kMaxReopenDelay);
}

bool MixUnheardUntilReopened(Mixer& mixer, int rateHz, const std::function<bool()>& open,
                             const std::function<OutputWake(milliseconds)>& wait) {
  if (open()) return true;  // a switch to another device: no gap worth telling
  mixer.deviceLost.store(true, std::memory_order_release);
  const size_t periodFrames = size_t(rateHz) * size_t(kUnheardPeriod.count()) / 1000;
  std::vector<float> discard(periodFrames * kChannels);
  int failedTries = 1;
  Clock::time_point nextTry = Clock::now() + ReopenDelay(failedTries);
  Clock::time_point nextMix = Clock::now();
  for (;;) {
    Clock::time_point now = Clock::now();
    if (now >= nextMix) {
      MixChannels(mixer, discard.data(), periodFrames);
      // A late wake is made up for; a try that hung for seconds is not, in a
      // burst: the ring keeps what came meanwhile, within its bound.
      nextMix += kUnheardPeriod;
      if (nextMix < now) nextMix = now + kUnheardPeriod;
    }
    bool tryNow = now >= nextTry;
    if (!tryNow) {
      const OutputWake woke = wait(std::chrono::ceil<milliseconds>(std::min(nextMix, nextTry) - now));
      if (woke == OutputWake::Stop) {
        mixer.deviceLost.store(false, std::memory_order_release);  // the next BASS_Init starts afresh
        return false;
      }
      tryNow = woke == OutputWake::DeviceChange || Clock::now() >= nextTry;
    }
    if (!tryNow) continue;
    if (open()) {
      mixer.deviceLost.store(false, std::memory_order_release);
      return true;
    }
    nextTry = Clock::now() + ReopenDelay(++failedTries);
  }
}

}  // namespace orvelle
