// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine_session.h"
#include "station_server.h"

namespace orvelle::test {
namespace {

using namespace std::chrono_literals;

double MillisecondsOf(const std::function<void()>& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

TEST(Lifecycle, FreeOfAStalledStreamInterruptsItsBlockedRead) {
  EngineSession session;
  StationServer station({.audioPath = Fixture("noise.mp3")});
  const HSTREAM stream = OpenPlaying(station.url());
  station.setPaused(true);  // the decoder thread now waits on the socket
  ASSERT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STALLED; }, 5000));
  BOOL freed = 0;
  const double ms = MillisecondsOf([&] { freed = BASS_StreamFree(stream); });
  EXPECT_TRUE(freed);
  EXPECT_LT(ms, 500.0);  // a hang would take the 20-second read time-out
}

TEST(Lifecycle, AHundredCyclesLeaveNoThreadOrConnectionBehind) {
  EngineSession session;
  StationServer station({.audioPath = Fixture("noise.mp3")});
  const HSTREAM warmUp = OpenPlaying(station.url());  // SDL's and the server's threads exist from here
  BASS_StreamFree(warmUp);
  std::this_thread::sleep_for(50ms);
  const int threadsBefore = ThreadCount();
  for (int i = 0; i < 100; ++i) {
    const HSTREAM stream = BASS_StreamCreateURL(station.url().c_str(), 0, 0, nullptr, nullptr);
    ASSERT_NE(stream, 0u) << "cycle " << i << " error " << BASS_ErrorGetCode();
    ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
    ASSERT_TRUE(BASS_StreamFree(stream));
  }
  EXPECT_EQ(station.connections(), 101);
  // The server's own worker threads may linger a moment after a hang-up.
  EXPECT_TRUE(WaitUntil([&] { return ThreadCount() <= threadsBefore; }, 3000)) << ThreadCount();
}

TEST(Lifecycle, EngineFreeEndsEveryStream) {
  StationServer station({.audioPath = Fixture("noise.mp3")});
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  HSTREAM streams[3];
  for (HSTREAM& s : streams) s = OpenPlaying(station.url());
  station.setPaused(true);
  EXPECT_LT(MillisecondsOf([] { EXPECT_TRUE(BASS_Free()); }), 1000.0);
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  for (HSTREAM s : streams) EXPECT_FALSE(BASS_ChannelPlay(s, 0));
  EXPECT_TRUE(BASS_Free());
}

}  // namespace
}  // namespace orvelle::test
