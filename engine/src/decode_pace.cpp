// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode_pace.h"

#include <algorithm>
#include <cstdint>

namespace orvelle {

std::chrono::milliseconds DecodePause(const DecodeLevels& l) {
  using std::chrono::milliseconds;
  const auto framesFor = [&](int ms) { return size_t(int64_t(l.rateHz) * ms / 1000); };
  const auto playTime = [&](size_t frames) {
    return milliseconds(std::max<int64_t>(kMinDecodePauseMs, int64_t(frames) * 1000 / std::max(l.rateHz, 1)));
  };
  if (!l.playing) return milliseconds(l.unfitFrames > 0 ? kIdleRecheckMs : 0);
  if (l.unfitFrames > 0) return playTime(l.unfitFrames);  // until the mixer has made room
  if (l.bufferedFrames < l.refillFrames + framesFor(kDecodeAheadMs)) return milliseconds(0);
  return playTime(l.bufferedFrames - (l.refillFrames + framesFor(kDecodeResumeMs)));
}

}  // namespace orvelle
