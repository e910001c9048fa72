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
  // Told to stop while it tried (for as long as it hung): the mixer may be
  // another output's by now.
  if (wait(milliseconds(0)) == OutputWake::Stop) return false;
  mixer.deviceLost.store(true, std::memory_order_release);
  const size_t periodFrames = size_t(rateHz) * size_t(kUnheardPeriod.count()) / 1000;
  std::vector<float> discard(periodFrames * kChannels);
  int failedTries = 1;
  Clock::time_point nextTry = Clock::now() + ReopenDelay(failedTries);
  Clock::time_point nextMix = Clock::now();
  for (;;) {
    // Waits first: a try may have hung for a long while, in which the output
    // may have been told to stop and its mixer handed on.
    const Clock::time_point until = std::min(nextMix, nextTry);
    const OutputWake woke = wait(std::chrono::ceil<milliseconds>(std::max(until - Clock::now(), Clock::duration(0))));
    if (woke == OutputWake::Stop) return false;
    const Clock::time_point now = Clock::now();
    if (now >= nextMix) {
      MixChannels(mixer, discard.data(), periodFrames);
      // A late wake is made up for; a try that hung for seconds is not, in a
      // burst: the ring keeps what came meanwhile, within its bound.
      nextMix += kUnheardPeriod;
      if (nextMix < now) nextMix = now + kUnheardPeriod;
    }
    if (woke != OutputWake::DeviceChange && now < nextTry) continue;
    if (open()) {
      mixer.deviceLost.store(false, std::memory_order_release);
      return true;
    }
    nextTry = Clock::now() + ReopenDelay(++failedTries);
  }
}

}  // namespace orvelle
