// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "channel.h"

namespace orvelle {

Channel::Channel(size_t ringFrames, size_t prebuffer, size_t maxRebuffer, size_t historyFrames)
    : ring(ringFrames, historyFrames),
      prebufferFrames(prebuffer),
      maxRebufferFrames(std::max(prebuffer, maxRebuffer)),
      refillFrames(prebuffer),
      scratch(kMixChunkFrames * kChannels) {}

namespace {

// Waiting ends the stall when the refill target is reached, or when the stream
// has ended and what is left must still be heard.
bool StillStalled(const Channel& ch, size_t available) {
  if (available >= ch.refillFrames.load(std::memory_order_relaxed)) return false;
  return !(ch.ended.load(std::memory_order_acquire) && available > 0);
}

void MarkPlayedOut(Channel& ch) {
  PlayState playing = PlayState::Playing;
  ch.playState.compare_exchange_strong(playing, PlayState::Stopped, std::memory_order_acq_rel);
}

// Silence before a starting channel's first frame in a request of
// `requestFrames`: whatever the request takes beyond what the channel can give
// while keeping its start margin. A stream that has ended has nothing more
// to wait for: it plays out at once.
size_t StartLeadFrames(const Mixer& mixer, size_t available, bool ended, size_t requestFrames) {
  if (ended) return 0;
  const size_t given = available - std::min(mixer.startMarginFrames, available);
  return requestFrames > given ? requestFrames - given : 0;
}

// Adds `frames` frames of the channel's scratch to `out`, gliding the gain
// linearly towards its target so that volume changes never click.
void AddWithGain(Channel& ch, const Mixer& mixer, float* out, size_t frames) {
  const float target = ch.targetGain.load(std::memory_order_relaxed);
  if (!ch.gainStarted) {  // the first sound starts at the set volume, not from a ramp
    ch.currentGain = target;
    ch.gainStarted = true;
  }
  const float step = 1.0f / float(std::max<size_t>(mixer.rampFrames, 1));
  for (size_t f = 0; f < frames; ++f) {
    if (ch.currentGain != target) {
      const float delta = target - ch.currentGain;
      ch.currentGain = std::fabs(delta) <= step ? target : ch.currentGain + std::copysign(step, delta);
    }
    out[f * kChannels] += ch.scratch[f * kChannels] * ch.currentGain;
    out[f * kChannels + 1] += ch.scratch[f * kChannels + 1] * ch.currentGain;
  }
}

// The mixer thread holds channels (odd `callbacksRun`): in a mix, or in a look
// at them outside one, so that a channel being detached is not freed under
// its eyes. Never nested.
class ChannelsHeld {
 public:
  explicit ChannelsHeld(const Mixer& mixer) : mixer_(mixer) { mixer_.callbacksRun.fetch_add(1, std::memory_order_seq_cst); }
  ~ChannelsHeld() { mixer_.callbacksRun.fetch_add(1, std::memory_order_seq_cst); }
  ChannelsHeld(const ChannelsHeld&) = delete;
  ChannelsHeld& operator=(const ChannelsHeld&) = delete;

 private:
  const Mixer& mixer_;
};

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Mixes one chunk of `frames` at mixer clock `clock`, `requestFrames` before
// the end of the device's request. Returns the clock just after the
// channel's last frame in it, 0 if it gave none.
uint64_t MixOne(Channel& ch, const Mixer& mixer, uint64_t clock, float* out, size_t frames, size_t requestFrames) {
  if (ch.playState.load(std::memory_order_acquire) != PlayState::Playing) {
    ch.flowing = false;
    return 0;
  }
  const bool ended = ch.ended.load(std::memory_order_acquire);
  size_t available = ch.ring.availableFrames();
  if (ch.stalled.load(std::memory_order_relaxed)) {
    if (ended && available == 0) {
      MarkPlayedOut(ch);
      return 0;
    }
    if (StillStalled(ch, available)) return 0;
    ch.stalled.store(false, std::memory_order_relaxed);
  }
  if (!ch.flowing) {
    ch.leadFrames = StartLeadFrames(mixer, available, ended, requestFrames);
    ch.flowing = true;
  }
  const size_t lead = std::min(ch.leadFrames, frames);
  ch.leadFrames -= lead;
  const size_t wanted = frames - lead;
  const size_t got = ch.ring.read(ch.scratch.data(), wanted);
  if (got > 0) ch.mixedUntilClock.store(clock + lead + got, std::memory_order_release);
  AddWithGain(ch, mixer, out + lead * kChannels, got);
  if (got < wanted) {
    ch.flowing = false;
    if (ended) {
      MarkPlayedOut(ch);
    } else {
      // Starved: wait for a deeper buffer than last time before sounding again.
      ch.stalled.store(true, std::memory_order_relaxed);
      ch.refillFrames.store(std::min(ch.refillFrames.load(std::memory_order_relaxed) * 2, ch.maxRebufferFrames),
                            std::memory_order_relaxed);
    }
  }
  return got > 0 ? clock + lead + got : 0;
}

}  // namespace

void MixChannels(Mixer& mixer, float* out, size_t frames) {
  const ChannelsHeld held(mixer);
  std::fill(out, out + frames * kChannels, 0.0f);
  for (size_t done = 0; done < frames; done += kMixChunkFrames) {
    const size_t chunk = std::min(kMixChunkFrames, frames - done);
    for (auto& slot : mixer.slots) {
      Channel* ch = slot.load(std::memory_order_seq_cst);
      if (ch == nullptr) continue;
      const uint64_t sounded = MixOne(*ch, mixer, mixer.clockFrames + done, out + done * kChannels, chunk, frames - done);
      mixer.soundedUntilClock = std::max(mixer.soundedUntilClock, sounded);
    }
  }
  mixer.clockFrames += frames;
  for (size_t i = 0; i < frames * kChannels; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

void PublishDeviceDelay(Mixer& mixer, size_t queuedFrames) {
  DeviceDelay& d = mixer.delay;
  const uint32_t sequence = d.sequence.load(std::memory_order_relaxed);
  d.sequence.store(sequence + 1, std::memory_order_seq_cst);  // odd: changing
  d.mixedClock.store(mixer.clockFrames, std::memory_order_seq_cst);
  d.heardClock.store(mixer.clockFrames - std::min<uint64_t>(queuedFrames, mixer.clockFrames),
                     std::memory_order_seq_cst);
  d.atNs.store(NowNs(), std::memory_order_seq_cst);
  d.sequence.store(sequence + 2, std::memory_order_seq_cst);
}

size_t UnheardFrames(const Mixer& mixer, const Channel& channel) {
  const DeviceDelay& d = mixer.delay;
  uint64_t heard, mixed;
  int64_t atNs;
  for (;;) {
    const uint32_t before = d.sequence.load(std::memory_order_seq_cst);
    heard = d.heardClock.load(std::memory_order_seq_cst);
    mixed = d.mixedClock.load(std::memory_order_seq_cst);
    atNs = d.atNs.load(std::memory_order_seq_cst);
    if (before % 2 == 0 && d.sequence.load(std::memory_order_seq_cst) == before) break;
    std::this_thread::yield();
  }
  if (atNs == 0) return 0;  // no delay known: what is mixed next is what is heard
  // The device plays on at the real-time pace, up to the last frame it was given.
  const int64_t elapsedNs = std::max<int64_t>(0, NowNs() - atNs);
  heard = std::min(mixed, heard + uint64_t(double(elapsedNs) * 1e-9 * mixer.rateHz));
  const uint64_t until = channel.mixedUntilClock.load(std::memory_order_acquire);
  return until > heard ? size_t(until - heard) : 0;
}

bool DeviceHangs(const Mixer& mixer) {
  constexpr int64_t kHangsAfterNs = 2'000'000'000;  // many times any output's period
  const int64_t atNs = mixer.delay.atNs.load(std::memory_order_seq_cst);
  return atNs != 0 && NowNs() - atNs > kHangsAfterNs;
}

bool ShouldDropQueueForStart(const Mixer& mixer, size_t queuedFrames) {
  if (mixer.clockFrames - std::min(mixer.clockFrames, mixer.soundedUntilClock) < queuedFrames) return false;
  const ChannelsHeld held(mixer);
  for (const auto& slot : mixer.slots) {
    const Channel* ch = slot.load(std::memory_order_seq_cst);
    if (ch == nullptr || ch->flowing || ch->playState.load(std::memory_order_acquire) != PlayState::Playing) continue;
    const size_t available = ch->ring.availableFrames();
    if (available > 0 && !StillStalled(*ch, available)) return true;
  }
  return false;
}

size_t FramesSoundingAhead(const Mixer& mixer) {
  const ChannelsHeld held(mixer);
  size_t least = SIZE_MAX;
  for (const auto& slot : mixer.slots) {
    const Channel* ch = slot.load(std::memory_order_seq_cst);
    if (ch == nullptr || !ch->flowing || ch->playState.load(std::memory_order_acquire) != PlayState::Playing ||
        ch->ended.load(std::memory_order_acquire))
      continue;
    least = std::min(least, ch->leadFrames + ch->ring.availableFrames());
  }
  return least;
}

bool AChannelWaitsToStart(const Mixer& mixer) {
  const ChannelsHeld held(mixer);
  for (const auto& slot : mixer.slots) {
    const Channel* ch = slot.load(std::memory_order_seq_cst);
    if (ch != nullptr && !ch->flowing && ch->playState.load(std::memory_order_acquire) == PlayState::Playing)
      return true;
  }
  return false;
}

bool AttachChannel(Mixer& mixer, Channel* channel) {
  for (auto& slot : mixer.slots) {
    Channel* empty = nullptr;
    if (slot.compare_exchange_strong(empty, channel, std::memory_order_seq_cst)) return true;
  }
  return false;
}

void DetachChannel(Mixer& mixer, Channel* channel) {
  for (auto& slot : mixer.slots) {
    Channel* expected = channel;
    slot.compare_exchange_strong(expected, nullptr, std::memory_order_seq_cst);
  }
  // A mix that began before the slot was cleared may still hold the channel:
  // wait for it to finish. A mix takes at most one device period.
  const uint64_t seen = mixer.callbacksRun.load(std::memory_order_seq_cst);
  if (seen % 2 == 0) return;
  while (mixer.callbacksRun.load(std::memory_order_seq_cst) == seen)
    std::this_thread::sleep_for(std::chrono::microseconds(200));
}

void StartChannel(Channel& ch) {
  if (ch.playState.load(std::memory_order_acquire) == PlayState::Playing) return;
  // Not playing, so the mixer leaves `stalled` alone until the store below.
  const bool enough = ch.ring.availableFrames() >= ch.refillFrames.load(std::memory_order_relaxed) ||
                      (ch.ended.load(std::memory_order_acquire) && ch.ring.availableFrames() > 0);
  ch.stalled.store(!enough, std::memory_order_relaxed);
  ch.playState.store(PlayState::Playing, std::memory_order_release);
}

}  // namespace orvelle

