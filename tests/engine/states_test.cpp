// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <thread>
#include <vector>

#include "channel.h"
#include "engine_session.h"
#include "station_server.h"
#include "stream.h"

namespace orvelle::test {
namespace {

using namespace std::chrono_literals;

bool BecomesActive(HSTREAM stream, DWORD state, int timeoutMs = 5000) {
  return WaitUntil([&] { return BASS_ChannelIsActive(stream) == state; }, timeoutMs);
}

// The states a stream goes through, each change once.
class StateTrail {
 public:
  explicit StateTrail(HSTREAM stream) : stream_(stream) { note(); }
  void note() {
    const DWORD state = BASS_ChannelIsActive(stream_);
    if (states.empty() || states.back() != state) states.push_back(state);
  }
  // Notes the state every 5 ms until `condition` holds.
  bool noteUntil(const std::function<bool()>& condition, int timeoutMs) {
    return WaitUntil([&] { note(); return condition(); }, timeoutMs);
  }
  std::vector<DWORD> states;

 private:
  HSTREAM stream_;
};

TEST(States, StallsWhenTheServerPausesAndPlaysAgainWhenItResumes) {
  EngineSession session;
  StationServer station({.audioPath = Fixture("noise.mp3")});
  const HSTREAM stream = OpenPlaying(station.url());
  station.setPaused(true);
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_STALLED));
  // What is still buffered is readable while stalled: nothing, once drained
  // and the device has played its last frames.
  std::array<float, 1024> samples;
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelGetData(stream, samples.data(), BASS_DATA_FLOAT | 4096) == 0; }, 1000));
  station.setPaused(false);
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_PLAYING));
  EXPECT_EQ(station.connections(), 1);  // the same connection carried on
  BASS_StreamFree(stream);
}

TEST(States, PlaysOutWhatIsBufferedWhenTheServerHangsUpThenStops) {
  ScopedReconnectPolicy noTries({.windowMs = 0});  // as once the time to come back is over
  EngineSession session;
  // About 1.2 s of audio, then the server closes the connection.
  StationServer station({.audioPath = Fixture("sine1k.mp3"), .closeAfterBytes = 20000});
  const HSTREAM stream = OpenPlaying(station.url());
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_STOPPED));
  // The handle stays valid until freed; playing again ends at once.
  EXPECT_TRUE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 0.5f));
  EXPECT_TRUE(BASS_ChannelPlay(stream, 0));
  EXPECT_TRUE(BecomesActive(stream, BASS_ACTIVE_STOPPED, 1000));
  // Nothing left to read once the device has played its last frames.
  std::array<float, 1024> samples;
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelGetData(stream, samples.data(), BASS_DATA_FLOAT | 4096) == 0; }, 1000));
  EXPECT_TRUE(BASS_StreamFree(stream));
  EXPECT_EQ(station.connections(), 1);
}

TEST(States, ADroppedStreamReadsStalledWhileTheStationIsDownThenPlaysAgainByItself) {
  // Quick tries, so that an outage takes a test a second rather than minutes.
  ScopedReconnectPolicy quick({.firstDelayMs = 200, .maxDelayMs = 400, .windowMs = 10000});
  EngineSession session;
  StationServer station({.audioPath = Fixture("noise.mp3")});
  const HSTREAM stream = OpenPlaying(station.url());
  StateTrail trail(stream);
  station.setDown(true);
  station.hangUp();
  // Down until the buffer has run dry and two tries have failed.
  EXPECT_TRUE(trail.noteUntil(
      [&] { return station.connections() >= 3 && trail.states.back() == BASS_ACTIVE_STALLED; }, 5000));
  station.setDown(false);
  EXPECT_TRUE(trail.noteUntil(
      [&] { return station.connections() >= 4 && trail.states.back() == BASS_ACTIVE_PLAYING; }, 5000));
  EXPECT_EQ(trail.states, (std::vector<DWORD>{BASS_ACTIVE_PLAYING, BASS_ACTIVE_STALLED, BASS_ACTIVE_PLAYING}));
  BASS_StreamFree(stream);
}

TEST(States, AStreamStoppedInAnOutageStaysDownAndAnyOtherEndsAfterTheWindow) {
  ScopedReconnectPolicy quick({.firstDelayMs = 200, .maxDelayMs = 400, .windowMs = 1500});
  EngineSession session;
  StationServer stoppedStation({.audioPath = Fixture("noise.mp3")});
  StationServer leftStation({.audioPath = Fixture("noise.mp3")});
  const HSTREAM stopped = OpenPlaying(stoppedStation.url()), left = OpenPlaying(leftStation.url());
  StateTrail trail(left);
  for (StationServer* station : {&stoppedStation, &leftStation}) {
    station->setDown(true);
    station->hangUp();
  }
  ASSERT_TRUE(BecomesActive(stopped, BASS_ACTIVE_STALLED));
  ASSERT_TRUE(BASS_ChannelStop(stopped));
  const int connectionsWhenStopped = stoppedStation.connections();
  EXPECT_TRUE(trail.noteUntil([&] { return trail.states.back() == BASS_ACTIVE_STOPPED; }, 5000));
  EXPECT_EQ(trail.states, (std::vector<DWORD>{BASS_ACTIVE_PLAYING, BASS_ACTIVE_STALLED, BASS_ACTIVE_STOPPED}));
  EXPECT_GE(leftStation.connections(), 3) << "it tried while it could";
  // A try under way when stopped may still reach the station, late on a busy
  // machine (long done by now, the window having passed); none after it,
  // however long the stopped stream is left.
  const int connectionsLater = stoppedStation.connections();
  EXPECT_LE(connectionsLater, connectionsWhenStopped + 1);
  std::this_thread::sleep_for(600ms);  // longer than the longest wait between two tries
  EXPECT_EQ(stoppedStation.connections(), connectionsLater);
  EXPECT_EQ(BASS_ChannelIsActive(stopped), DWORD(BASS_ACTIVE_STOPPED));
  BASS_StreamFree(stopped);
  BASS_StreamFree(left);
}

// A stream that turns into NUL bytes at line speed ends instead of reading
// them into memory without end.
TEST(States, AStreamThatTurnsIntoNulsEndsAfterABoundedRead) {
  ScopedReconnectPolicy noTries({.windowMs = 0});
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

// A device that drops the silence it holds for a start asks for a whole
// buffer at once, right when a stream at the real-time pace is ready (the
// worst moment): the stream sounds at the end of it and keeps its margin
// for the device's next request, without a gap.
TEST(States, APacedStreamStartsWithEnoughForADeviceThatTakesLongPeriods) {
  EngineSession session;
  StationServer station({.audioPath = Fixture("noise.mp3"), .burstSeconds = 0.0});
  constexpr int kRateHz = 44100;
  constexpr size_t kPullFrames = 8192, kMarginFrames = kRateHz / 20;
  StreamOpenResult opened = OpenStream(station.url().c_str(), kRateHz);
  ASSERT_NE(opened.stream, nullptr);
  Channel& channel = opened.stream->channel;
  Mixer mixer;
  mixer.rateHz = kRateHz;
  mixer.startMarginFrames = kMarginFrames;
  ASSERT_TRUE(AttachChannel(mixer, &channel));
  StartChannel(channel);
  ASSERT_TRUE(WaitUntil([&] { return channel.ring.availableFrames() >= channel.refillFrames.load(); }, 5000));
  ASSERT_LT(channel.ring.availableFrames(), kPullFrames - kMarginFrames) << "the station sent a burst";
  std::vector<float> out(kPullFrames * kChannels);
  MixChannels(mixer, out.data(), kPullFrames);
  EXPECT_FALSE(channel.stalled.load());
  EXPECT_EQ(out[0], 0.0f) << "the stream should sound late in the request";
  EXPECT_TRUE(std::any_of(out.end() - 200, out.end(), [](float v) { return v != 0.0f; })) << "and up to its end";
  EXPECT_GE(channel.ring.availableFrames(), kMarginFrames);
  MixChannels(mixer, out.data(), kMarginFrames);
  EXPECT_FALSE(channel.stalled.load());
  DetachChannel(mixer, &channel);
}

}  // namespace
}  // namespace orvelle::test
