// SPDX-License-Identifier: GPL-3.0-or-later
#include "mp3_frames.h"

#include <cstring>

namespace station {

namespace {

constexpr int kBitratesKbps[3][16] = {
    // MPEG-1 Layer III
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    // MPEG-2 and 2.5 Layer III
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};
constexpr int kSampleRatesHz[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

size_t Id3v2Length(std::string_view file) {
  if (file.size() < 10 || file.substr(0, 3) != "ID3") return 0;
  size_t size = 0;
  for (int i = 6; i < 10; ++i) size = (size << 7) | (static_cast<uint8_t>(file[i]) & 0x7F);
  size_t total = 10 + size + ((static_cast<uint8_t>(file[5]) & 0x10) ? 10 : 0);  // footer flag
  return total <= file.size() ? total : file.size();
}

// A Xing or Info frame carries the encoder's table of contents, not sound.
bool IsXingFrame(std::string_view frame) {
  for (size_t offset : {13u, 21u, 36u}) {  // after the side information, by version and channels
    if (frame.size() >= offset + 4) {
      std::string_view tag = frame.substr(offset, 4);
      if (tag == "Xing" || tag == "Info") return true;
    }
  }
  return false;
}

}  // namespace

std::optional<Mp3FrameHeader> ParseMp3FrameHeader(std::string_view bytes) {
  if (bytes.size() < 4) return std::nullopt;
  const auto b = [&](int i) { return static_cast<uint8_t>(bytes[i]); };
  if (b(0) != 0xFF || (b(1) & 0xE0) != 0xE0) return std::nullopt;
  const int versionBits = (b(1) >> 3) & 3;  // 0: 2.5, 1: reserved, 2: 2, 3: 1
  const int layerBits = (b(1) >> 1) & 3;    // 1: Layer III
  if (versionBits == 1 || layerBits != 1) return std::nullopt;
  const int bitrateIndex = b(2) >> 4;
  const int rateIndex = (b(2) >> 2) & 3;
  if (bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return std::nullopt;
  const int version = versionBits == 3 ? 0 : versionBits == 2 ? 1 : 2;
  Mp3FrameHeader h;
  h.bitrateKbps = kBitratesKbps[version][bitrateIndex];
  h.sampleRateHz = kSampleRatesHz[version][rateIndex];
  h.samplesPerFrame = version == 0 ? 1152 : 576;
  const int padding = (b(2) >> 1) & 1;
  h.frameBytes = h.samplesPerFrame / 8 * h.bitrateKbps * 1000 / h.sampleRateHz + padding;
  return h;
}

Mp3Track SplitMp3Frames(std::string_view file, std::string* error) {
  Mp3Track track;
  size_t pos = Id3v2Length(file);
  while (pos + 4 <= file.size()) {
    auto header = ParseMp3FrameHeader(file.substr(pos));
    if (!header || pos + header->frameBytes > file.size()) {
      ++pos;
      continue;
    }
    const size_t next = pos + header->frameBytes;
    if (next + 4 <= file.size() && !ParseMp3FrameHeader(file.substr(next))) {
      ++pos;  // a false sync inside data: the next frame must follow at once
      continue;
    }
    std::string_view frame = file.substr(pos, header->frameBytes);
    pos = next;
    if (track.frames.empty() && IsXingFrame(frame)) continue;
    if (track.frames.empty()) {
      track.sampleRateHz = header->sampleRateHz;
      track.samplesPerFrame = header->samplesPerFrame;
      track.bitrateKbps = header->bitrateKbps;
    } else if (header->sampleRateHz != track.sampleRateHz ||
               header->samplesPerFrame != track.samplesPerFrame) {
      if (error) *error = "frames of different sample rates in one file";
      track.frames.clear();
      return track;
    }
    track.frames.emplace_back(frame);
  }
  if (track.frames.empty() && error) *error = "no MP3 frames found";
  return track;
}

}  // namespace station
