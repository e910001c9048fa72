// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "channel.h"

namespace orvelle {
namespace {

constexpr size_t kPrebuffer = 256, kMaxRefill = 1024, kPeriod = 128;

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mixer.rampFrames = 100;
    ASSERT_TRUE(AttachChannel(mixer, &channel));
  }
  void TearDown() override { DetachChannel(mixer, &channel); }

  void Feed(size_t frames, float value = 0.5f) {
    const std::vector<float> samples(frames * kChannels, value);
    ASSERT_EQ(channel.ring.write(samples.data(), frames), frames);
  }
  std::vector<float> Mix(size_t frames = kPeriod) {
    std::vector<float> out(frames * kChannels, 9.0f);
    MixChannels(mixer, out.data(), frames);
    return out;
  }
  static bool Silent(const std::vector<float>& out) {
    for (float s : out)
      if (s != 0.0f) return false;
    return true;
  }

  Mixer mixer;
  Channel channel{4096, kPrebuffer, kMaxRefill};
};

TEST_F(MixerTest, StoppedAndPausedChannelsAreSilentAndKeepTheirFrames) {
  Feed(1000);
  EXPECT_TRUE(Silent(Mix()));
  channel.playState = PlayState::Paused;
  EXPECT_TRUE(Silent(Mix()));
  EXPECT_EQ(channel.ring.availableFrames(), 1000u);
}

TEST_F(MixerTest, StartsStalledUntilThePrebufferIsFilled) {
  Feed(kPrebuffer - 1);
  StartChannel(channel);
  EXPECT_TRUE(channel.stalled);
  EXPECT_TRUE(Silent(Mix()));
  EXPECT_EQ(channel.ring.availableFrames(), kPrebuffer - 1);
  Feed(1);
  EXPECT_EQ(Mix()[0], 0.5f);
  EXPECT_FALSE(channel.stalled);
  EXPECT_EQ(channel.playState, PlayState::Playing);
}

TEST_F(MixerTest, AnUnderrunStallsAndAsksForADeeperRefill) {
  Feed(kPrebuffer);
  StartChannel(channel);
  Mix(kPrebuffer);  // drains the ring exactly
  const auto starved = Mix();
  EXPECT_TRUE(channel.stalled);
  EXPECT_TRUE(Silent(starved));
  Feed(kPrebuffer);  // the old target is no longer enough
  EXPECT_TRUE(Silent(Mix()));
  Feed(kPrebuffer);
  EXPECT_EQ(Mix()[0], 0.5f);
  EXPECT_FALSE(channel.stalled);
  // The target never passes its ceiling.
  for (int i = 0; i < 6; ++i) {
    Mix(4096);
    Feed(kMaxRefill);
  }
  EXPECT_EQ(channel.refillFrames.load(), kMaxRefill);
  EXPECT_EQ(Mix()[0], 0.5f);
}

TEST_F(MixerTest, AnEndedStreamPlaysOutItsBufferThenStops) {
  Feed(kPrebuffer / 4);  // less than the prebuffer, but nothing more will come
  channel.ended = true;
  StartChannel(channel);
  EXPECT_FALSE(channel.stalled);
  const auto last = Mix();
  EXPECT_EQ(last[0], 0.5f);
  EXPECT_EQ(last[(kPrebuffer / 4) * kChannels], 0.0f);
  EXPECT_EQ(channel.playState, PlayState::Stopped);
  StartChannel(channel);  // playing it again ends at once
  Mix();
  EXPECT_EQ(channel.playState, PlayState::Stopped);
}

TEST_F(MixerTest, VolumeGlidesWithoutStepsAndStartsAtTheSetLevel) {
  channel.targetGain = 0.25f;
  Feed(4000, 1.0f);
  StartChannel(channel);
  auto out = Mix(200);
  EXPECT_FLOAT_EQ(out[0], 0.25f);  // no fade-in from full volume
  channel.targetGain = 1.0f;
  out = Mix(200);
  // Linear ramp over 100 frames: 0.01 per frame, never a jump.
  for (size_t f = 1; f < 200; ++f) {
    SCOPED_TRACE(f);
    ASSERT_LE(std::fabs(out[f * 2] - out[(f - 1) * 2]), 0.0101f);
    ASSERT_EQ(out[f * 2], out[f * 2 + 1]);
  }
  EXPECT_FLOAT_EQ(out[199 * 2], 1.0f);
  EXPECT_NEAR(out[50 * 2], 0.76f, 0.011f);
  // The buffer still holds the unscaled frames.
  std::vector<float> raw(2 * kChannels);
  channel.ring.peek(raw.data(), 1);
  EXPECT_EQ(raw[0], 1.0f);
}

TEST_F(MixerTest, TheSumIsClippedToFullScale) {
  Channel second{4096, 1, 1};
  ASSERT_TRUE(AttachChannel(mixer, &second));
  Feed(kPrebuffer, 0.75f);
  const std::vector<float> loud(kPeriod * kChannels, 0.75f);
  second.ring.write(loud.data(), kPeriod);
  StartChannel(channel);
  StartChannel(second);
  EXPECT_EQ(Mix()[0], 1.0f);
  DetachChannel(mixer, &second);
}

// A device that asks for more than a stream at the real-time pace has gets
// the stream late in the request, so that what is left (the margin) lasts
// until the next one; a short request or a stream that has ended plays at once.
TEST_F(MixerTest, AStartInALongRequestSoundsAtItsEndKeepingTheMargin) {
  mixer.startMarginFrames = 200;
  struct Case {
    const char* what;
    size_t available;
    bool ended;
    size_t request, lead;
  } const cases[] = {
      {"short request: at once", 1000, false, 128, 0},
      {"as long as the buffer less the margin: at once", 1000, false, 800, 0},
      {"longer: late, the margin kept", 1000, false, 2000, 1200},
      {"ended: all of it, at once", 300, true, 1000, 0},
  };
  DetachChannel(mixer, &channel);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Channel ch{4096, kPrebuffer, kMaxRefill};
    ASSERT_TRUE(AttachChannel(mixer, &ch));
    const std::vector<float> frames(c.available * kChannels, 0.5f);
    ch.ring.write(frames.data(), c.available);
    ch.ended = c.ended;
    StartChannel(ch);
    std::vector<float> out(c.request * kChannels, 9.0f);
    MixChannels(mixer, out.data(), c.request);
    EXPECT_FALSE(ch.stalled);
    EXPECT_EQ(std::count(out.begin(), out.begin() + std::ptrdiff_t(c.lead * kChannels), 0.0f),
              std::ptrdiff_t(c.lead * kChannels));
    EXPECT_EQ(out[c.lead * kChannels], 0.5f);
    if (!c.ended) {
      EXPECT_EQ(ch.ring.availableFrames(), c.available - (c.request - c.lead));
      EXPECT_EQ(FramesSoundingAhead(mixer), ch.ring.availableFrames());
    }
    DetachChannel(mixer, &ch);
  }
  // Back from a stall, a channel starts late in a long request again.
  ASSERT_TRUE(AttachChannel(mixer, &channel));
  Feed(1000);
  StartChannel(channel);
  Mix();
  Mix(1000);
  ASSERT_TRUE(channel.stalled);
  Feed(1000);
  const auto back = Mix(2000);
  EXPECT_EQ(back[(2000 - 801) * kChannels], 0.0f);
  EXPECT_EQ(back[(2000 - 800) * kChannels], 0.5f);
  EXPECT_EQ(channel.ring.availableFrames(), 200u);
}

// The device's queue is worth dropping for a channel that can start only when
// it holds nothing heard: the start is then heard that much sooner.
TEST_F(MixerTest, TheQueueIsDroppedForAStartOnlyWhenItHoldsSilence) {
  EXPECT_EQ(FramesSoundingAhead(mixer), SIZE_MAX);  // nothing sounds: no bound
  Mix(1000);
  EXPECT_FALSE(ShouldDropQueueForStart(mixer, 500)) << "nothing plays";
  Feed(kPrebuffer - 1);
  StartChannel(channel);
  EXPECT_FALSE(ShouldDropQueueForStart(mixer, 500)) << "not ready";
  Feed(1);
  EXPECT_TRUE(ShouldDropQueueForStart(mixer, 500)) << "ready, the queue is silence";
  Mix();
  Mix(kPrebuffer);  // runs dry kPrebuffer - kPeriod frames before the end
  EXPECT_TRUE(channel.stalled);
  Feed(kMaxRefill);
  EXPECT_FALSE(ShouldDropQueueForStart(mixer, kPrebuffer - kPeriod + 1)) << "the queue still holds its last frames";
  EXPECT_TRUE(ShouldDropQueueForStart(mixer, kPrebuffer - kPeriod)) << "only the silence after them";
  Mix();
  EXPECT_FALSE(ShouldDropQueueForStart(mixer, 0)) << "sounding";
}

// A reader wants what is heard: the device still holds what it was handed,
// and plays it at the real-time pace up to the last frame of the channel.
TEST_F(MixerTest, TheUnheardFramesFollowTheDevicesDelay) {
  mixer.rateHz = 1000;  // a frame a millisecond
  EXPECT_EQ(UnheardFrames(mixer, channel), 0u);  // no delay said yet
  Feed(kPrebuffer + 600);
  StartChannel(channel);
  Mix(kPrebuffer);
  PublishDeviceDelay(mixer, 200);
  EXPECT_LE(UnheardFrames(mixer, channel), 200u);
  EXPECT_GT(UnheardFrames(mixer, channel), 150u);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_LE(UnheardFrames(mixer, channel), 100u);
  // The channel runs dry 300 frames before the end of a pull: once those are
  // all that is left unheard, nothing of it is.
  Mix(600 + 300);
  EXPECT_TRUE(channel.stalled);
  PublishDeviceDelay(mixer, 300);
  EXPECT_EQ(UnheardFrames(mixer, channel), 0u);
}

// The device callback mixes without pause while channels come and go: a
// detached channel is destroyed at once, so the grace period must hold.
TEST(MixerDetach, AChannelCanBeDestroyedAsSoonAsDetachReturns) {
  Mixer mixer;
  std::atomic<bool> done{false};
  std::thread device([&] {
    std::vector<float> out(64 * kChannels);
    while (!done.load()) MixChannels(mixer, out.data(), 64);
  });
  for (int i = 0; i < 300; ++i) {
    auto channel = std::make_unique<Channel>(256, 8, 8);
    const std::vector<float> samples(128 * kChannels, 0.1f);
    channel->ring.write(samples.data(), 128);
    ASSERT_TRUE(AttachChannel(mixer, channel.get()));
    StartChannel(*channel);
    std::this_thread::yield();
    DetachChannel(mixer, channel.get());
  }
  done = true;
  device.join();
}

}  // namespace
}  // namespace orvelle
