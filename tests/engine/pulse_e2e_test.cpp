// SPDX-License-Identifier: GPL-3.0-or-later
// End to end: the shipped libbass.so, loaded the way the player loads it,
// plays a local 1 kHz station into a private PulseAudio null sink, and a
// recording of the sink's monitor must hold that tone at the set volume,
// without a gap although the station sends at the real-time pace only, and
// nothing of it soon after the stream is stopped.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "orvelle/bass.h"
#include "station_server.h"
#include "support/processes.h"

namespace orvelle::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr float kVolume = 0.5f;

// A process of the test's own, ended when the object goes.
struct Child {
  pid_t pid = 0;
  ~Child() { EndProcess(pid, 2s); }
};

struct Api {
  void* library = nullptr;
  decltype(&BASS_Init) init;
  decltype(&BASS_Free) free;
  decltype(&BASS_ErrorGetCode) error;
  decltype(&BASS_StreamCreateURL) create;
  decltype(&BASS_ChannelPlay) play;
  decltype(&BASS_ChannelStop) stop;
  decltype(&BASS_ChannelSetAttribute) setAttribute;
  decltype(&BASS_ChannelIsActive) isActive;
  decltype(&BASS_StreamFree) streamFree;
};

template <typename Fn>
void Resolve(void* library, const char* name, Fn& slot) {
  slot = reinterpret_cast<Fn>(dlsym(library, name));
  ASSERT_NE(slot, nullptr) << name;
}

// Peak and zero-crossing rate of the second of the recording with the most energy.
struct Tone { float peak = 0; double frequencyHz = 0; };

// Frames the recorder has written so far.
size_t RecordedFrames(const fs::path& recording) {
  std::error_code error;
  const auto bytes = fs::file_size(recording, error);
  return error ? 0 : size_t(bytes) / (2 * sizeof(float));
}

float Peak(const std::vector<float>& stereo, size_t fromFrame, size_t toFrame) {
  float peak = 0;
  for (size_t i = fromFrame * 2; i < std::min(toFrame * 2, stereo.size()); ++i) peak = std::max(peak, std::fabs(stereo[i]));
  return peak;
}

// The longest run of silent frames between the first sound and `toFrame`.
size_t LongestSilence(const std::vector<float>& stereo, size_t toFrame) {
  size_t longest = 0, run = 0;
  bool sounded = false;
  for (size_t f = 0; f < std::min(toFrame, stereo.size() / 2); ++f) {
    const bool silent = std::fabs(stereo[f * 2]) < 0.01f;
    sounded = sounded || !silent;
    run = silent && sounded ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

Tone LoudestSecond(const std::vector<float>& stereo) {
  Tone best;
  double bestEnergy = -1;
  constexpr size_t kSecond = 44100;
  for (size_t start = 0; start + kSecond <= stereo.size() / 2; start += kSecond / 4) {
    float peak = 0;
    double energy = 0;
    size_t crossings = 0;
    for (size_t i = start; i < start + kSecond; ++i) {
      peak = std::max(peak, std::fabs(stereo[i * 2]));
      energy += double(stereo[i * 2]) * stereo[i * 2];
      if (i > start && (stereo[i * 2] >= 0) != (stereo[(i - 1) * 2] >= 0)) ++crossings;
    }
    if (energy > bestEnergy) {
      bestEnergy = energy;
      best = {peak, crossings / 2.0};
    }
  }
  return best;
}

TEST(PulseEndToEnd, TheToneReachesTheSoundServerAtTheSetVolume) {
  const fs::path home = fs::temp_directory_path() / ("orvelle-pulse-" + std::to_string(getpid()));
  fs::remove_all(home);
  Child server;
  const std::optional<std::string> pulse = StartPrivatePulse(home.string(), server.pid);
  ASSERT_TRUE(pulse) << "pulseaudio did not start (is it installed?)";
  // The engine plays into it from this process.
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
  setenv("PULSE_SERVER", pulse->c_str(), 1);
  setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
  const fs::path recording = home / "monitor.f32";
  Child recorder{StartRecorder(recording.string())};
  ASSERT_NE(recorder.pid, 0);
  std::this_thread::sleep_for(2s);

  StationServer station({.audioPath = Fixture("sine1k.mp3"), .burstSeconds = 0.0});
  Api api;
  api.library = dlopen(ENGINE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(api.library, nullptr) << dlerror();
  Resolve(api.library, "BASS_Init", api.init);
  Resolve(api.library, "BASS_Free", api.free);
  Resolve(api.library, "BASS_ErrorGetCode", api.error);
  Resolve(api.library, "BASS_StreamCreateURL", api.create);
  Resolve(api.library, "BASS_ChannelPlay", api.play);
  Resolve(api.library, "BASS_ChannelStop", api.stop);
  Resolve(api.library, "BASS_ChannelSetAttribute", api.setAttribute);
  Resolve(api.library, "BASS_ChannelIsActive", api.isActive);
  Resolve(api.library, "BASS_StreamFree", api.streamFree);

  ASSERT_TRUE(api.init(-1, 44100, 0, nullptr, nullptr)) << "error " << api.error();
  const HSTREAM stream = api.create(station.url().c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << "error " << api.error();
  api.setAttribute(stream, BASS_ATTRIB_VOL, kVolume);
  api.play(stream, 0);
  std::this_thread::sleep_for(2500ms);
  EXPECT_EQ(api.isActive(stream), DWORD(BASS_ACTIVE_PLAYING));
  // A stop is heard at once, not once the output's buffer has played out.
  // The recorder lags the sink, so the mark is early rather than late.
  const size_t stoppedAt = RecordedFrames(recording);
  api.stop(stream);
  std::this_thread::sleep_for(700ms);
  api.streamFree(stream);
  api.free();
  EndProcess(std::exchange(recorder.pid, 0));
  EndProcess(std::exchange(server.pid, 0));
  // The library stays loaded: sanitizer reports need its symbols until exit.

  const std::string bytes = ReadFile(recording.string());
  std::vector<float> stereo(bytes.size() / sizeof(float));
  std::memcpy(stereo.data(), bytes.data(), stereo.size() * sizeof(float));
  const Tone tone = LoudestSecond(stereo);
  EXPECT_NEAR(tone.peak, 0.99f * kVolume, 0.04f);
  EXPECT_NEAR(tone.frequencyHz, 1000.0, 10.0);
  constexpr size_t kStopHeardFrames = 44100 / 10;  // 100 ms
  EXPECT_GT(Peak(stereo, stoppedAt - 44100 / 4, stoppedAt), 0.9f * kVolume) << "the tone, up to the stop";
  EXPECT_LT(LongestSilence(stereo, stoppedAt - 44100 / 10), 44100u / 100) << "a gap of 10 ms or more";
  EXPECT_LT(Peak(stereo, stoppedAt + kStopHeardFrames, stoppedAt + 44100 / 2), 0.01f) << "the tone, after the stop";
  fs::remove_all(home);
}

}  // namespace
}  // namespace orvelle::test
