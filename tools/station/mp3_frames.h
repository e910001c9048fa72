// SPDX-License-Identifier: GPL-3.0-or-later
// Splits an MP3 file into its frames, so the station can send whole frames
// at the pace of their duration and switch songs on a frame boundary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

struct Mp3FrameHeader {
  int bitrateKbps = 0;
  int sampleRateHz = 0;
  int samplesPerFrame = 0;
  int frameBytes = 0;
};

// Reads the 4-byte header at the start of bytes; nothing when it is not an
// MPEG audio Layer III header we can size (free format, reserved values).
std::optional<Mp3FrameHeader> ParseMp3FrameHeader(std::string_view bytes);

struct Mp3Track {
  std::vector<std::string> frames;
  int sampleRateHz = 0;
  int samplesPerFrame = 0;
  int bitrateKbps = 0;
};

// Frames of a whole file: a leading ID3v2 tag, junk between frames and a
// Xing/Info frame are skipped; a header only counts when the next frame
// (or the end of the file) follows it. Empty frames when nothing is found,
// and an error text when frames of different rates are mixed.
Mp3Track SplitMp3Frames(std::string_view file, std::string* error);

}  // namespace station
