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
  Channel(size_t ringFrames, size_t prebufferFrames, size_t maxRebufferFrames);

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

  // Mixer only.
  float currentGain = 1.0f;
  bool gainStarted = false;
  std::vector<float> scratch;       // one mix chunk, sized at creation
};

constexpr int kMaxChannels = 64;
constexpr size_t kMixChunkFrames = 1024;  // the mixer works through a device period in chunks

// The device callback's view of the channels. Slots are published by the API
// thread; `callbacksRun` is odd while a mix is in progress, which is how
// DetachChannel knows when the mixer can no longer hold a detached channel.
struct Mixer {
  int rateHz = 44100;
  size_t rampFrames = 220;  // volume changes glide over about 5 ms
  std::array<std::atomic<Channel*>, kMaxChannels> slots{};
  std::atomic<uint64_t> callbacksRun{0};
};

// Mixer thread: fills `out` (interleaved stereo) with every playing channel,
// whatever the period length the device asks for.
void MixChannels(Mixer& mixer, float* out, size_t frames);

// API thread. AttachChannel fails when every slot is taken.
bool AttachChannel(Mixer& mixer, Channel* channel);
// Returns once the mixer is guaranteed not to touch `channel` any more.
void DetachChannel(Mixer& mixer, Channel* channel);

// API thread: starts or resumes a channel (it starts stalled unless enough is buffered).
void StartChannel(Channel& channel);

}  // namespace orvelle
