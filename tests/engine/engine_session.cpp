// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine_session.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>
#else
#include <dirent.h>
#endif

#include <chrono>
#include <cstdlib>
#include <thread>

#include "stream.h"

namespace orvelle::test {

#ifdef _WIN32
// The test script gives Wine a private sound server whose sink nobody hears.
const bool kDummyAudioDriver = true;
#else
// Sound goes nowhere in these tests, at the real-time pace, unless the
// caller chose a driver.
const bool kDummyAudioDriver = setenv("SDL_AUDIODRIVER", "dummy", 0) == 0;
#endif

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

#ifdef _WIN32
int ThreadCount() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
  int count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snapshot);
  return count;
}
#else
int ThreadCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') ++count;
    closedir(dir);
  }
  return count;
}
#endif

}  // namespace orvelle::test
