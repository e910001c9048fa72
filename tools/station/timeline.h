// SPDX-License-Identifier: GPL-3.0-or-later
// Where the live stream stands at a moment: the station plays one endless
// sequence of MP3 frames, numbered from its origin (negative numbers are the
// past a new listener gets as its initial burst). Each song slot plays its
// track from the first frame, looping it until the slot ends.
#pragma once

#include <cstdint>
#include <vector>

#include "playlist.h"

namespace station {

struct FrameTiming {
  int sampleRateHz = 44100;
  int samplesPerFrame = 1152;

  int64_t FrameStartUs(int64_t frame) const;
  // The frame playing at a moment (the last one started at or before it).
  int64_t FrameAt(int64_t sinceOriginUs) const;
  // The first frame that starts at or after a moment.
  int64_t FirstFrameFrom(int64_t sinceOriginUs) const;
};

struct FrameSource {
  int song = 0;
  size_t trackFrame = 0;
};

// Which song's which frame the stream frame number carries; trackFrames
// holds the number of frames of each song's track (all non-zero).
FrameSource FrameContent(const SongClock& clock, const FrameTiming& timing,
                         const std::vector<size_t>& trackFrames, int64_t frame);

}  // namespace station
