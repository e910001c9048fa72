// SPDX-License-Identifier: GPL-3.0-or-later
#include "stream.h"

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "av_input.h"
#include "av_spectrum.h"
#include "decode_pace.h"
#include "orvelle/bass.h"

namespace orvelle {

Stream::Stream(const char* url, int rateHz, const ReconnectPolicy& reconnect)
    : channel(size_t(rateHz) * kRingSeconds, size_t(rateHz) * kPrebufferMs / 1000,
              size_t(rateHz) * kMaxRefillMs / 1000, size_t(rateHz) * kHeardHistoryMs / 1000),
      url(url),
      rateHz(rateHz),
      reconnect(reconnect),
      peekFrames(kMixChunkFrames * kChannels) {}

Stream::~Stream() {
  StopDecoder(*this);
  CloseAvInput(input);
  DestroySpectrumAnalyser(analyser);
}

namespace {

std::mutex policyMutex;
ReconnectPolicy currentPolicy;  // guarded by policyMutex

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Decoder thread: decode ahead at the pace DecodePause sets, until the input
// ends, fails or is aborted.
void DecodeUntilEnd(Stream* s) {
  std::vector<float> pending;
  size_t offset = 0;  // samples of `pending` already in the ring
  while (!s->abort.load(std::memory_order_acquire)) {
    if (offset == pending.size()) {
      pending.clear();
      offset = 0;
      if (!DecodeMore(s->input, pending)) break;
      continue;
    }
    const size_t frames = (pending.size() - offset) / kChannels;
    offset += s->channel.ring.write(pending.data() + offset, frames) * kChannels;
    const auto pause = DecodePause({.bufferedFrames = s->channel.ring.availableFrames(),
                                    .refillFrames = s->channel.refillFrames.load(std::memory_order_relaxed),
                                    .unfitFrames = (pending.size() - offset) / kChannels,
                                    .playing = s->channel.playState.load(std::memory_order_acquire) ==
                                               PlayState::Playing,
                                    .rateHz = s->rateHz});
    if (pause.count() > 0) {
      std::unique_lock lock(s->wakeMutex);
      s->wake.wait_for(lock, pause, [s] { return s->abort.load(std::memory_order_acquire); });
    }
  }
}

bool StoppedOrFreed(const Stream* s) {
  return s->abort.load(std::memory_order_acquire) ||
         s->channel.playState.load(std::memory_order_acquire) == PlayState::Stopped;
}

// One outage: from a drop until a connection holds for the policy's stable time.
struct Outage {
  int64_t startMs = -1;  // -1: none yet
  int64_t previousMs = 0;
  int triesMade = 0;
};

// Connects again on the policy's schedule until a connection decodes audio
// (true, with the new input in place) or the stream is stopped, freed or out
// of time (false).
bool Reconnect(Stream* s, Outage& outage, std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (;;) {
    const int64_t atMs =
        NextReconnectMs(s->reconnect, outage.triesMade, outage.startMs, outage.previousMs, unit(random));
    if (atMs < 0) return false;
    {
      std::unique_lock lock(s->wakeMutex);
      const auto at = std::chrono::steady_clock::time_point(std::chrono::milliseconds(atMs));
      if (s->wake.wait_until(lock, at, [s] { return StoppedOrFreed(s); })) return false;
    }
    outage.previousMs = NowMs();
    ++outage.triesMade;
    const AvOpenResult opened = OpenAvInput(s->url.c_str(), s->rateHz, &s->abort);
    if (opened.input != nullptr && !StoppedOrFreed(s)) {
      CloseAvInput(s->input);
      s->input = opened.input;
      return true;
    }
    CloseAvInput(opened.input);
    if (StoppedOrFreed(s)) return false;
  }
}

void RunDecoder(Stream* s) {
  // Each listener its own draws, even where random_device is weak.
  std::seed_seq seeds{std::random_device{}(), unsigned(NowMs()), unsigned(reinterpret_cast<uintptr_t>(s))};
  std::mt19937 random(seeds);
  Outage outage;
  for (;;) {
    const int64_t connectedMs = NowMs();
    DecodeUntilEnd(s);
    if (StoppedOrFreed(s)) break;
    const int64_t nowMs = NowMs();
    if (outage.startMs < 0 || nowMs - connectedMs >= s->reconnect.stableMs) outage = {nowMs, nowMs, 0};
    outage.previousMs = nowMs;  // a short-lived connection still delays the next try
    if (!Reconnect(s, outage, random)) break;
  }
  // Let go of the connection now: a server sending junk would otherwise go on
  // filling the socket until the stream is freed.
  CloseAvInput(s->input);
  s->input = nullptr;
  s->channel.ended.store(true, std::memory_order_release);
}

}  // namespace

StreamOpenResult OpenStream(const char* url, int rateHz) {
  ReconnectPolicy policy;
  {
    std::lock_guard lock(policyMutex);
    policy = currentPolicy;
  }
  auto stream = std::make_unique<Stream>(url == nullptr ? "" : url, rateHz, policy);
  stream->analyser = CreateSpectrumAnalyser();
  if (stream->analyser == nullptr) return {nullptr, BASS_ERROR_MEM};
  const AvOpenResult opened = OpenAvInput(url, rateHz, &stream->abort);
  if (opened.input == nullptr) return {nullptr, opened.error};
  stream->input = opened.input;
  stream->decoder = std::thread(RunDecoder, stream.get());
  return {std::move(stream), 0};
}

void StopDecoder(Stream& s) {
  {
    std::lock_guard lock(s.wakeMutex);
    s.abort.store(true, std::memory_order_release);
  }
  s.wake.notify_all();
  if (s.decoder.joinable()) s.decoder.join();
}

void WakeDecoder(Stream& s) {
  { std::lock_guard lock(s.wakeMutex); }  // a decoder between its check and its wait sees the change
  s.wake.notify_all();
}

void SetReconnectPolicy(const ReconnectPolicy& policy) {
  std::lock_guard lock(policyMutex);
  currentPolicy = policy;
}

}  // namespace orvelle
