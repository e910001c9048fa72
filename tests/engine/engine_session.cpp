#include "engine_session.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "stream.h"

namespace orvelle::test {

// Sound goes nowhere in these tests, at the real-time pace, unless the
// caller chose a driver.
const bool kDummyAudioDriver = setenv("SDL_AUDIODRIVER", "dummy", 0) == 0;

EngineSession::EngineSession() {
  EXPECT_TRUE(kDummyAudioDriver);
  ok_ = BASS_Init(-1, 44100, 0, nullptr, nullptr) != 0;
  EXPECT_TRUE(ok_) << "BASS_Init failed with " << BASS_ErrorGetCode();
}

EngineSession::~EngineSession() {
  if (ok_) BASS_Free();
}

ScopedReconnectPolicy::ScopedReconnectPolicy(const ReconnectPolicy& policy) { SetReconnectPolicy(policy); }

ScopedReconnectPolicy::~ScopedReconnectPolicy() { SetReconnectPolicy({}); }

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

HSTREAM OpenPlaying(const std::string& url) {
  const HSTREAM stream = BASS_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
  EXPECT_NE(stream, 0u) << "error " << BASS_ErrorGetCode();
  if (stream == 0) return 0;
  EXPECT_TRUE(BASS_ChannelPlay(stream, 0));
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; }, 3000));
  return stream;
}

std::array<float, 512> Spectrum(HSTREAM stream) {
  std::array<float, 512> bins{};
  EXPECT_NE(BASS_ChannelGetData(stream, bins.data(), BASS_DATA_FFT1024), 0xFFFFFFFFu);
  return bins;
}

int ThreadCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') ++count;
    closedir(dir);
  }
  return count;
}

}  // namespace orvelle::test
