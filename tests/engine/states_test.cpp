#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "engine_session.h"
#include "station_server.h"

namespace orvelle::test {
namespace {

using namespace std::chrono_literals;

bool BecomesActive(HSTREAM stream, DWORD state, int timeoutMs = 5000) {
  return WaitUntil([&] { return BASS_ChannelIsActive(stream) == state; }, timeoutMs);
}

TEST(States, StallsWhenTheServerPausesAndPlaysAgainWhenItResumes) {
  EngineSession session;
  StationServer station({.audioPath = Fixture("noise.mp3")});
  const HSTREAM stream = OpenPlaying(station.url());
  station.setPaused(true);
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_STALLED));
  // What is still buffered is readable while stalled: nothing, once drained.
  std::array<float, 1024> samples;
  EXPECT_EQ(BASS_ChannelGetData(stream, samples.data(), BASS_DATA_FLOAT | 4096), 0u);
  station.setPaused(false);
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_PLAYING));
  EXPECT_EQ(station.connections(), 1);  // the same connection carried on
  BASS_StreamFree(stream);
}

TEST(States, PlaysOutWhatIsBufferedWhenTheServerHangsUpThenStops) {
  EngineSession session;
  // About 1.2 s of audio, then the server closes the connection.
  StationServer station({.audioPath = Fixture("sine1k.mp3"), .closeAfterBytes = 20000});
  const HSTREAM stream = OpenPlaying(station.url());
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_STOPPED));
  // The handle stays valid until freed; playing again ends at once.
  EXPECT_TRUE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 0.5f));
  EXPECT_TRUE(BASS_ChannelPlay(stream, 0));
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_STOPPED, 1000));
  std::array<float, 1024> samples;
  EXPECT_EQ(BASS_ChannelGetData(stream, samples.data(), BASS_DATA_FLOAT | 4096), 0u);
  EXPECT_TRUE(BASS_StreamFree(stream));
  EXPECT_EQ(station.connections(), 1);
}

// A stream that turns into NUL bytes at line speed ends instead of reading
// them into memory without end.
TEST(States, AStreamThatTurnsIntoNulsEndsAfterABoundedRead) {
  EngineSession session;
  StationServer station({.audioPath = Fixture("noise.mp3"), .junkAfterBytes = 40000});
  const HSTREAM stream = OpenPlaying(station.url());
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_STOPPED, 8000));
  EXPECT_LT(station.bytesSent(), 16l << 20) << "what the engine read, and what the sockets hold";
  BASS_StreamFree(stream);
}

TEST(States, PauseResumeStopAndFree) {
  EngineSession session;
  StationServer station({.audioPath = Fixture("noise.mp3")});
  const HSTREAM stream = OpenPlaying(station.url());
  EXPECT_TRUE(BASS_ChannelPause(stream));
  EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PAUSED));
  EXPECT_FALSE(BASS_ChannelPause(stream));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  std::this_thread::sleep_for(300ms);  // the buffer fills while paused...
  EXPECT_TRUE(BASS_ChannelPlay(stream, 1));
  EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PLAYING));  // ...so it resumes at once

  EXPECT_TRUE(BASS_ChannelStop(stream));
  EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_STOPPED));
  EXPECT_FALSE(BASS_ChannelPause(stream));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);
  std::array<float, 1024> samples;  // still readable while stopped
  EXPECT_EQ(BASS_ChannelGetData(stream, samples.data(), BASS_DATA_FLOAT | 4096), 4096u);

  EXPECT_TRUE(BASS_StreamFree(stream));
  EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_STOPPED));
  EXPECT_FALSE(BASS_ChannelPlay(stream, 0));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST(States, ANewStreamStartsStalledWhenItsBufferIsEmpty) {
  EngineSession session;
  // Real-time pace and no burst: the first prebuffer takes a moment to arrive.
  StationServer station({.audioPath = Fixture("noise.mp3"), .burstSeconds = 0.0});
  const HSTREAM stream = BASS_StreamCreateURL(station.url().c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_STOPPED));  // not started yet
  ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
  EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_STALLED));
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_PLAYING));
  BASS_StreamFree(stream);
}

}  // namespace
}  // namespace orvelle::test
