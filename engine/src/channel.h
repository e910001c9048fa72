// SPDX-License-Identifier: GPL-3.0-or-later
// What one stream shares with the mixer, and the mixer itself.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame_ring.h"

namespace orvelle {

enum class PlayState : int { Stopped = 0, Playing = 1, Paused = 3 };

// Ownership and thread rule for a Channel, the only state three threads touch:
// - the API thread (the application's calls) creates and destroys it, and
//   destroys it only after DetachChannel has returned, so the mixer never sees a
//   dead channel and the decoder thread has been joined;
// - the decoder thread writes the ring and sets `ended`;
// - the mixer (the audio device's callback) consumes the ring and owns the
//   fields marked "mixer only"; it never allocates, never locks, never waits.
// Fields written by more than one thread are atomics; no field needs a lock.
struct Channel {
  Channel(size_t ringFrames, size_t prebufferFrames, size_t maxRebufferFrames, size_t historyFrames = 0);

  // Fixed at creation.
  FrameRing ring;
  const size_t prebufferFrames;     // buffered before the first sound
  const size_t maxRebufferFrames;   // ceiling of the refill target after underruns

  // Set by the API thread; the mixer may move Playing to Stopped once the
  // stream has ended and every buffered frame has been heard. The decoder
  // thread reads it: a stopped channel's stream is not connected again.
  std::atomic<PlayState> playState{PlayState::Stopped};
  std::atomic<float> targetGain{1.0f};

  // Set by the decoder thread: no more frames will come.
  std::atomic<bool> ended{false};

  // Set by the mixer (and by the API thread when it starts a channel that the
  // mixer is not playing): playing, but waiting for the buffer to refill.
  std::atomic<bool> stalled{true};
  // The refill target: grows after each underrun, up to maxRebufferFrames.
  std::atomic<size_t> refillFrames;

  // Set by the mixer: its clock just after the latest frame of this channel it mixed.
  std::atomic<uint64_t> mixedUntilClock{0};

  // Mixer only.
  float currentGain = 1.0f;
  bool gainStarted = false;
  bool flowing = false;             // took frames at the last mix, none missing
  size_t leadFrames = 0;            // silence still to give before its frames, after a start
  std::vector<float> scratch;       // one mix chunk, sized at creation
};

constexpr int kMaxChannels = 64;
constexpr size_t kMixChunkFrames = 1024;  // the mixer works through a device period in chunks

// How far behind the mix the listener is: published by the output after it
// hands frames to the device, read by anyone. A sequence count guards the
// three values (odd while they change); the writer never waits.
struct DeviceDelay {
  std::atomic<uint32_t> sequence{0};
  std::atomic<uint64_t> heardClock{0};   // the mixer clock of the frame heard at `atNs`
  std::atomic<uint64_t> mixedClock{0};   // the mixer clock at that moment
  std::atomic<int64_t> atNs{0};          // steady clock; 0: the output never said
};

// The device callback's view of the channels. Slots are published by the API
// thread; `callbacksRun` is odd while the mixer thread holds channels (a mix,
// or a look at them), which is how DetachChannel knows when the mixer can no
// longer hold a detached channel.
struct Mixer {
  int rateHz = 44100;
  size_t rampFrames = 220;  // volume changes glide over about 5 ms
  // A channel that starts keeps this much of its buffer after the device's
  // first request, for the network's jitter until the next one (less than
  // the pre-buffer).
  size_t startMarginFrames = 0;
  std::array<std::atomic<Channel*>, kMaxChannels> slots{};
  mutable std::atomic<uint64_t> callbacksRun{0};
  // Set by the output while no device takes the mix (it went away and has
  // not come back): the mix goes on at the real-time pace, unheard.
  std::atomic<bool> deviceLost{false};
  uint64_t clockFrames = 0;        // mixer only: frames mixed since the output opened
  uint64_t soundedUntilClock = 0;  // mixer only: just after the last frame a channel sounded in
  DeviceDelay delay;
};

// Mixer thread: fills `out` (interleaved stereo) with every playing channel,
// whatever the length the device asks for. A channel that starts or comes back
// from a stall within a long request sounds late in it rather than at its
// start, keeping startMarginFrames: a stream that arrives at the real-time
// pace then lasts until the device's next request.
void MixChannels(Mixer& mixer, float* out, size_t frames);

// Mixer thread: whether the device should drop what it holds before its next
// request. True when a channel is ready to start sounding and the
// `queuedFrames` the device holds are silence: dropped, the start is heard
// that much sooner.
bool ShouldDropQueueForStart(const Mixer& mixer, size_t queuedFrames);

// Mixer thread: the most frames every sounding channel can give now (the
// rest of its start's silence and its buffer); a channel that has ended
// counts as endless, as it is to be played out.
size_t FramesSoundingAhead(const Mixer& mixer);

// Mixer thread: whether a channel is playing but not sounding yet.
bool AChannelWaitsToStart(const Mixer& mixer);

// Mixer thread, after handing mixed frames to the device: `queuedFrames` of
// them are still to be heard.
void PublishDeviceDelay(Mixer& mixer, size_t queuedFrames);

// Anyone: how many of the channel's mixed frames are not heard yet, so that a
// reader can look at what is heard rather than at what is mixed next.
size_t UnheardFrames(const Mixer& mixer, const Channel& channel);

// Anyone: the output handed frames to its device before, and has not for
// seconds: a device (or a sound server) that hangs plays nothing.
bool DeviceHangs(const Mixer& mixer);

// API thread. AttachChannel fails when every slot is taken.
bool AttachChannel(Mixer& mixer, Channel* channel);
// Returns once the mixer is guaranteed not to touch `channel` any more.
void DetachChannel(Mixer& mixer, Channel* channel);

// API thread: starts or resumes a channel (it starts stalled unless enough is buffered).
void StartChannel(Channel& channel);

}  // namespace orvelle
