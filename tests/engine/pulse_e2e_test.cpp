// SPDX-License-Identifier: GPL-3.0-or-later
// End to end: the shipped libbass.so, loaded the way the player loads it,
// plays a local 1 kHz station into a private PulseAudio null sink, and a
// recording of the sink's monitor must hold that tone at the set volume,
// without a gap although the station sends at the real-time pace only, and
// nothing of it soon after the stream is stopped.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
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

// What the recorder has written so far (nothing before it has started).
std::vector<float> ReadRecording(const fs::path& recording) {
  std::ifstream in(recording, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<float> stereo(bytes.size() / sizeof(float));
  if (!stereo.empty()) std::memcpy(stereo.data(), bytes.data(), stereo.size() * sizeof(float));
  return stereo;
}

// When the tone starts in the recording, in milliseconds of the recording's
// own clock after `fromFrame`, waiting up to `timeout` for it: a null sink
// that has been idle hands its first seconds over late, all at once.
std::optional<double> ToneOnsetMs(const fs::path& recording, size_t fromFrame, std::chrono::milliseconds timeout) {
  std::optional<double> onsetMs;
  WaitUntil(
      [&] {
        const std::vector<float> stereo = ReadRecording(recording);
        for (size_t f = fromFrame; f < stereo.size() / 2 && !onsetMs; ++f)
          if (std::fabs(stereo[f * 2]) > 0.3f) onsetMs = double(f - fromFrame) * 1000.0 / 44100;
        return onsetMs.has_value();
      },
      timeout);
  return onsetMs;
}

// How many 50 ms stretches of the recording hold a tone near `frequencyHz`.
int StretchesOfTone(const std::vector<float>& stereo, double frequencyHz) {
  constexpr size_t kStretch = 44100 / 20;
  int count = 0;
  for (size_t start = 0; start + kStretch <= stereo.size() / 2; start += kStretch) {
    int crossings = 0;
    for (size_t i = start + 1; i < start + kStretch; ++i)
      if ((stereo[i * 2] >= 0) != (stereo[(i - 1) * 2] >= 0)) ++crossings;
    if (std::fabs(crossings * 10.0 - frequencyHz) < 0.1 * frequencyHz) ++count;
  }
  return count;
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

// The shipped library, loaded and resolved as the player does it.
Api LoadEngine() {
  Api api;
  api.library = dlopen(ENGINE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(api.library, nullptr) << dlerror();
  if (api.library == nullptr) return api;
  Resolve(api.library, "BASS_Init", api.init);
  Resolve(api.library, "BASS_Free", api.free);
  Resolve(api.library, "BASS_ErrorGetCode", api.error);
  Resolve(api.library, "BASS_StreamCreateURL", api.create);
  Resolve(api.library, "BASS_ChannelPlay", api.play);
  Resolve(api.library, "BASS_ChannelStop", api.stop);
  Resolve(api.library, "BASS_ChannelSetAttribute", api.setAttribute);
  Resolve(api.library, "BASS_ChannelIsActive", api.isActive);
  Resolve(api.library, "BASS_StreamFree", api.streamFree);
  return api;
}

// A private sound server for this process's engine, under `home`.
std::optional<std::string> UsePrivatePulse(const fs::path& home, pid_t& server) {
  const std::optional<std::string> pulse = StartPrivatePulse(home.string(), server);
  if (!pulse) return pulse;
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
  setenv("PULSE_SERVER", pulse->c_str(), 1);
  setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
  return pulse;
}

// A private sound server with a recorder on its null sink, and the engine
// loaded and initialised in this process to play into it.
class PulseEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(home);
    ASSERT_TRUE(UsePrivatePulse(home, server.pid)) << "pulseaudio did not start (is it installed?)";
    recorder.pid = StartRecorder(recording.string());
    ASSERT_NE(recorder.pid, 0);
    api = LoadEngine();
    ASSERT_NE(api.library, nullptr);
    ASSERT_TRUE(api.init(-1, 44100, 0, nullptr, nullptr)) << "error " << api.error();
  }
  void TearDown() override {
    if (api.library != nullptr) api.free();  // fails harmlessly once freed
    // The library stays loaded: sanitizer reports need its symbols until exit.
    EndProcess(std::exchange(recorder.pid, 0));
    EndProcess(std::exchange(server.pid, 0));
    fs::remove_all(home);
  }

  const fs::path home = fs::temp_directory_path() / ("orvelle-pulse-" + std::to_string(getpid()));
  const fs::path recording = home / "monitor.f32";
  Child server, recorder;
  Api api;
};

TEST_F(PulseEndToEnd, TheToneReachesTheSoundServerAtTheSetVolume) {
  std::this_thread::sleep_for(2s);  // the recorder under way: the stop is timed on its recording
  StationServer station({.audioPath = Fixture("sine1k.mp3"), .burstSeconds = 0.0});
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
  EndProcess(std::exchange(recorder.pid, 0));

  const std::vector<float> stereo = ReadRecording(recording);
  const Tone tone = LoudestSecond(stereo);
  EXPECT_NEAR(tone.peak, 0.99f * kVolume, 0.04f);
  EXPECT_NEAR(tone.frequencyHz, 1000.0, 10.0);
  constexpr size_t kStopHeardFrames = 44100 / 10;  // 100 ms
  EXPECT_GT(Peak(stereo, stoppedAt - 44100 / 4, stoppedAt), 0.9f * kVolume) << "the tone, up to the stop";
  EXPECT_LT(LongestSilence(stereo, stoppedAt - 44100 / 10), 44100u / 100) << "a gap of 10 ms or more";
  EXPECT_LT(Peak(stereo, stoppedAt + kStopHeardFrames, stoppedAt + 44100 / 2), 0.01f) << "the tone, after the stop";
}

// The sound server goes away while a station plays (a crash, a restart) and
// a new one takes its socket; later the listener picks another output. No
// call of the player's brings the sound back: the engine follows by itself,
// reads as stalled meanwhile, and stays prompt to stop and free.
TEST_F(PulseEndToEnd, SoundFollowsTheServerAndTheDefaultSink) {
  StationServer station({.audioPath = Fixture("sine1k.mp3"), .burstSeconds = 0.0});
  const HSTREAM stream = api.create(station.url().c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << "error " << api.error();
  api.play(stream, 0);
  ASSERT_TRUE(ToneOnsetMs(recording, 0, 5s)) << "no sound at all";

  // Killed: nothing is heard, and the badge must not say otherwise.
  const fs::path socketPath = home / "run" / "pulse" / "native";
  kill(server.pid, SIGKILL);
  EndProcess(std::exchange(server.pid, 0));
  EndProcess(std::exchange(recorder.pid, 0));
  fs::remove(socketPath);  // left behind by the crash: the next server's is awaited
  EXPECT_TRUE(WaitUntil([&] { return api.isActive(stream) == BASS_ACTIVE_STALLED; }, 1s)) << api.isActive(stream);
  std::this_thread::sleep_for(1500ms);  // the engine's tries now come at their slowest
  EXPECT_EQ(api.isActive(stream), DWORD(BASS_ACTIVE_STALLED)) << "playing without a sound server";

  // Back: playing (the device takes the mix) within a second, and heard.
  ASSERT_TRUE(StartPrivatePulse(home.string(), server.pid)) << "the second server did not start";
  const auto serverBack = std::chrono::steady_clock::now();
  recorder.pid = StartRecorder((home / "after.f32").string());
  EXPECT_TRUE(WaitUntil([&] { return api.isActive(stream) == BASS_ACTIVE_PLAYING; }, 1s)) << api.isActive(stream);
  std::printf("playing again %lld ms after the new server took the socket\n",
              (long long)std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - serverBack)
                  .count());
  const std::optional<double> onsetMs = ToneOnsetMs(home / "after.f32", 0, 5s);
  ASSERT_TRUE(onsetMs) << "no sound from the new server";
  EXPECT_LT(*onsetMs, 1000.0) << "the tone, after the recorder (started with the server) began";

  // Another output becomes the default: the sound moves there.
  ASSERT_EQ(std::system("pactl load-module module-null-sink sink_name=second >/dev/null"), 0);
  Child secondRecorder{StartRecorder((home / "second.f32").string(), "second.monitor")};
  // An idle sink's monitor is slow to say its first word: the recorder must
  // be under way before the switch is timed.
  ASSERT_TRUE(WaitUntil([&] { return RecordedFrames(home / "second.f32") > 0; }, 5s));
  const size_t switchedAt = RecordedFrames(home / "second.f32");
  ASSERT_EQ(std::system("pactl set-default-sink second"), 0);
  const std::optional<double> movedMs = ToneOnsetMs(home / "second.f32", switchedAt, 3s);
  ASSERT_TRUE(movedMs) << "no sound from the new default sink";
  std::printf("sound %.0f ms after the default sink changed\n", *movedMs);
  EXPECT_LT(*movedMs, 1000.0);

  // A server that takes connections and never answers holds the engine's
  // tries for seconds each: stop, free and BASS_Free do not wait for them.
  kill(server.pid, SIGKILL);
  EndProcess(std::exchange(server.pid, 0));
  fs::remove(socketPath);
  const int hung = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(hung, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(hung, 16), 0);
  std::this_thread::sleep_for(1500ms);
  for (const auto& [what, call] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
           {"stop", [&] { api.stop(stream); }},
           {"free", [&] { api.streamFree(stream); }},
           {"BASS_Free", [&] { api.free(); }}}) {
    const auto start = std::chrono::steady_clock::now();
    call();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms) << what;
  }
  close(hung);
}

// An Ogg station starts a new logical stream at each song, with its own codec,
// rate and channel count: here Vorbis at 44.1 kHz in stereo, then Opus at
// 48 kHz in mono, then Vorbis again as the file loops. Each join plays through.
TEST_F(PulseEndToEnd, ChainedOggPlaysThroughEachJoin) {
  const fs::path chain = home / "chain.ogg";
  std::ofstream(chain, std::ios::binary) << ReadFile(Fixture("link_vorbis_44k.ogg"))
                                         << ReadFile(Fixture("link_opus_48k.opus"));
  StationServer station({.audioPath = chain.string(), .fileSeconds = 3.0, .contentType = "application/ogg"});
  const HSTREAM stream = api.create(station.url().c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << "error " << api.error();
  api.play(stream, 0);
  ASSERT_TRUE(WaitUntil([&] { return api.isActive(stream) == BASS_ACTIVE_PLAYING; }, 3s));
  // Three joins go by; not one of them stalls the stream.
  std::vector<DWORD> states;
  WaitUntil([&] { states.push_back(api.isActive(stream)); return false; }, 5s);
  EXPECT_EQ(std::count(states.begin(), states.end(), DWORD(BASS_ACTIVE_PLAYING)), ptrdiff_t(states.size()));
  const size_t endedAt = RecordedFrames(recording);
  api.streamFree(stream);
  EndProcess(std::exchange(recorder.pid, 0));

  const std::vector<float> stereo = ReadRecording(recording);
  const size_t gap = LongestSilence(stereo, endedAt);
  std::printf("longest silence %.1f ms\n", gap * 1000.0 / 44100);
  EXPECT_LT(gap, 44100u / 50) << "a gap of 20 ms or more";
  EXPECT_GT(StretchesOfTone(stereo, 1000), 10) << "the Vorbis song";
  EXPECT_GT(StretchesOfTone(stereo, 2000), 10) << "the Opus song";
}

}  // namespace
}  // namespace orvelle::test
