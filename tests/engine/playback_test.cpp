// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <vector>

#include "av_input.h"
#include "engine_session.h"
#include "station_server.h"

namespace orvelle::test {
namespace {

using namespace std::chrono_literals;

std::vector<float> Samples(HSTREAM stream, DWORD bytes) {
  std::vector<float> samples(bytes / sizeof(float) + 16, 7.0f);
  const DWORD got = BASS_ChannelGetData(stream, samples.data(), BASS_DATA_FLOAT | bytes);
  EXPECT_NE(got, 0xFFFFFFFFu);
  for (size_t i = bytes / sizeof(float); i < samples.size(); ++i) EXPECT_EQ(samples[i], 7.0f) << "overrun";
  samples.resize(got == 0xFFFFFFFFu ? 0 : got / sizeof(float));
  return samples;
}

float Peak(const std::vector<float>& samples) {
  float peak = 0;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

TEST(Playback, EveryStationFormatPlays) {
  EngineSession session;
  struct Case { const char* file; const char* contentType; } const cases[] = {
      {"noise.mp3", "audio/mpeg"},     {"noise.aac", "audio/aacp"},   {"noise.aac", "audio/aac"},
      {"noise.ogg", "application/ogg"}, {"noise.opus", "audio/ogg"},   {"noise.flac", "audio/flac"},
      {"noise.mp3", "application/octet-stream"},  // no usable type: the content is probed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " as " + c.contentType);
    StationServer station({.audioPath = Fixture(c.file), .contentType = c.contentType});
    const HSTREAM stream = OpenPlaying(station.url());
    // Past the encoder's leading silence, as heard: after the device's buffer.
    std::this_thread::sleep_for(500ms);
    // A loaded machine may drain the buffer of a real-time station for a moment.
    EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelGetData(stream, nullptr, BASS_DATA_AVAILABLE) >= 4096; }, 3000));
    const auto samples = Samples(stream, 4096);
    EXPECT_EQ(samples.size(), 1024u);
    EXPECT_GT(Peak(samples), 0.01f);
    EXPECT_LE(Peak(samples), 1.0f);
    EXPECT_TRUE(BASS_StreamFree(stream));
  }
}

TEST(Playback, SpectrumPeaksAtTheToneAndIsZeroForSilence) {
  EngineSession session;
  struct Case { const char* file; size_t bin; float low, high; } const cases[] = {
      {"sine1k.mp3", 23, 0.8f, 1.05f},
      {"sine5k.mp3", 116, 0.8f, 1.05f},
      {"sine1k_mono.mp3", 23, 0.8f, 1.05f},  // mono goes to both sides at full level
      {"silence.mp3", 0, 0.0f, 0.001f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    StationServer station({.audioPath = Fixture(c.file), .burstSeconds = 2.0});
    const HSTREAM stream = OpenPlaying(station.url());
    // Past the encoder's leading silence, as heard: after the device's buffer.
    std::this_thread::sleep_for(500ms);
    std::array<float, 600> bins;
    bins.fill(-5.0f);
    EXPECT_EQ(BASS_ChannelGetData(stream, bins.data(), BASS_DATA_FFT1024), 8192u);
    EXPECT_TRUE(std::all_of(bins.begin() + 512, bins.end(), [](float b) { return b == -5.0f; })) << "overrun";
    EXPECT_TRUE(std::all_of(bins.begin(), bins.begin() + 512, [](float b) { return std::isfinite(b) && b >= 0; }));
    const auto peak = std::max_element(bins.begin(), bins.begin() + 512);
    if (c.high > 0.01f) {
      EXPECT_EQ(size_t(peak - bins.begin()), c.bin);
    }
    EXPECT_GE(*peak, c.low);
    EXPECT_LE(*peak, c.high);
    BASS_StreamFree(stream);
  }
}

TEST(Playback, SampleDataIsUnscaledByVolumeAndLeftForTheListener) {
  EngineSession session;
  StationServer station({.audioPath = Fixture("sine1k.mp3"), .burstSeconds = 2.0});
  const HSTREAM stream = OpenPlaying(station.url());
  std::this_thread::sleep_for(500ms);  // the tone as heard: after the device's buffer
  const auto loud = Samples(stream, 4096);
  ASSERT_EQ(loud.size(), 1024u);
  EXPECT_GT(Peak(loud), 0.9f);
  EXPECT_LE(Peak(loud), 1.0f);
  ASSERT_TRUE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 0.1f));
  std::this_thread::sleep_for(50ms);
  EXPECT_GT(Peak(Samples(stream, 4096)), 0.9f);
  // Odd sizes are cut to whole frames; 16-bit reads work too.
  EXPECT_EQ(Samples(stream, 4099).size(), 1024u);
  std::array<int16_t, 2048> pcm{};
  EXPECT_EQ(BASS_ChannelGetData(stream, pcm.data(), 4096), 4096u);
  EXPECT_GT(*std::max_element(pcm.begin(), pcm.end()), 29000);
  // Other attributes and bad volumes are refused; the volume is clamped.
  EXPECT_FALSE(BASS_ChannelSetAttribute(stream, 1, 0.5f));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLTYPE);
  EXPECT_FALSE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, NAN));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_TRUE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 7.0f));
  EXPECT_EQ(BASS_ChannelGetData(stream, nullptr, BASS_DATA_FLOAT | 4096), 0xFFFFFFFFu);
  EXPECT_EQ(BASS_ChannelGetData(stream, pcm.data(), 0x80000003u), 0xFFFFFFFFu);  // a size we do not offer
  BASS_StreamFree(stream);
}

// Decodes the first seconds a local station sends, straight from the input layer.
std::vector<float> DecodedSeconds(const StationOptions& options, double seconds) {
  StationServer station(options);
  std::atomic<bool> abort{false};
  const AvOpenResult opened = OpenAvInput(station.url().c_str(), 44100, &abort);
  EXPECT_NE(opened.input, nullptr) << opened.error;
  std::vector<float> stereo;
  while (opened.input != nullptr && stereo.size() < size_t(seconds * 44100 * 2) && DecodeMore(opened.input, stereo)) {
  }
  CloseAvInput(opened.input);
  EXPECT_EQ(station.titlesSent() > 0, options.icyMetaInterval > 0);
  return stereo;
}

// Noise uses every bit of every frame, so a title byte that slipped into the
// decoder would change the output; the same bytes must decode identically.
TEST(Playback, InStreamTitlesNeverReachTheDecoder) {
  const StationOptions plain{.audioPath = Fixture("noise.mp3"), .burstSeconds = 5.0};
  const auto reference = DecodedSeconds(plain, 4.0);
  ASSERT_GE(reference.size(), size_t(4.0 * 44100 * 2));
  for (int metaInterval : {8192, 16000, 1000}) {
    SCOPED_TRACE(metaInterval);
    StationOptions titled = plain;
    titled.icyMetaInterval = metaInterval;
    const auto decoded = DecodedSeconds(titled, 4.0);
    ASSERT_GE(decoded.size(), reference.size());
    size_t differing = 0;
    for (size_t i = 0; i < reference.size(); ++i) differing += decoded[i] != reference[i];
    EXPECT_EQ(differing, 0u);
  }
}

}  // namespace
}  // namespace orvelle::test
