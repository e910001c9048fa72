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
bool StillStalled(Channel& ch, size_t available) {
  if (available >= ch.refillFrames.load(std::memory_order_relaxed)) return false;
  return !(ch.ended.load(std::memory_order_acquire) && available > 0);
}

void MarkPlayedOut(Channel& ch) {
  PlayState playing = PlayState::Playing;
  ch.playState.compare_exchange_strong(playing, PlayState::Stopped, std::memory_order_acq_rel);
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

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// `clock` is the mixer clock at the first of the `frames`.
void MixOne(Channel& ch, const Mixer& mixer, uint64_t clock, float* out, size_t frames) {
  if (ch.playState.load(std::memory_order_acquire) != PlayState::Playing) return;
  const bool ended = ch.ended.load(std::memory_order_acquire);
  size_t available = ch.ring.availableFrames();
  if (ch.stalled.load(std::memory_order_relaxed)) {
    if (ended && available == 0) {
      MarkPlayedOut(ch);
      return;
    }
    if (StillStalled(ch, available)) return;
    ch.stalled.store(false, std::memory_order_relaxed);
  }
  const size_t got = ch.ring.read(ch.scratch.data(), frames);
  if (got > 0) ch.mixedUntilClock.store(clock + got, std::memory_order_release);
  AddWithGain(ch, mixer, out, got);
  if (got < frames) {
    if (ended) {
      MarkPlayedOut(ch);
    } else {
      // Starved: wait for a deeper buffer than last time before sounding again.
      ch.stalled.store(true, std::memory_order_relaxed);
      ch.refillFrames.store(std::min(ch.refillFrames.load(std::memory_order_relaxed) * 2, ch.maxRebufferFrames),
                            std::memory_order_relaxed);
    }
  }
}

}  // namespace

void MixChannels(Mixer& mixer, float* out, size_t frames) {
  mixer.callbacksRun.fetch_add(1, std::memory_order_seq_cst);  // odd: mixing
  std::fill(out, out + frames * kChannels, 0.0f);
  for (size_t done = 0; done < frames; done += kMixChunkFrames) {
    const size_t chunk = std::min(kMixChunkFrames, frames - done);
    for (auto& slot : mixer.slots) {
      Channel* ch = slot.load(std::memory_order_seq_cst);
      if (ch != nullptr) MixOne(*ch, mixer, mixer.clockFrames + done, out + done * kChannels, chunk);
    }
  }
  mixer.clockFrames += frames;
  for (size_t i = 0; i < frames * kChannels; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
  mixer.callbacksRun.fetch_add(1, std::memory_order_seq_cst);  // even: idle
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

