// SPDX-License-Identifier: GPL-3.0-or-later
#include "timeline.h"

namespace station {

namespace {
constexpr int64_t kUsPerSecond = 1'000'000;

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }
}  // namespace

int64_t FrameTiming::FrameStartUs(int64_t frame) const {
  return FloorDiv(frame * samplesPerFrame * kUsPerSecond, sampleRateHz);
}

int64_t FrameTiming::FrameAt(int64_t sinceOriginUs) const {
  return FloorDiv(sinceOriginUs * sampleRateHz, samplesPerFrame * kUsPerSecond);
}

int64_t FrameTiming::FirstFrameFrom(int64_t sinceOriginUs) const {
  return CeilDiv(sinceOriginUs * sampleRateHz, samplesPerFrame * kUsPerSecond);
}

FrameSource FrameContent(const SongClock& clock, const FrameTiming& timing,
                         const std::vector<size_t>& trackFrames, int64_t frame) {
  // A frame belongs to the slot in which it starts; the slot's first frame
  // is the first one that starts at or after the slot's start.
  const int64_t slot = clock.SlotAt(timing.FrameStartUs(frame));
  const int song = clock.SongOfSlot(slot);
  const int64_t intoSlot = frame - timing.FirstFrameFrom(clock.SlotStartUs(slot));
  const auto count = static_cast<int64_t>(trackFrames[static_cast<size_t>(song)]);
  return {song, static_cast<size_t>(PositiveMod(intoSlot, count))};
}

}  // namespace station
