#include "stream.h"

#include <chrono>
#include <vector>

#include "av_input.h"
#include "av_spectrum.h"
#include "orvelle/bass.h"

namespace orvelle {

constexpr auto kFullRingPoll = std::chrono::milliseconds(20);

Stream::Stream(int rateHz)
    : channel(size_t(rateHz) * kRingSeconds, size_t(rateHz) * kPrebufferMs / 1000,
              size_t(rateHz) * kMaxRefillMs / 1000),
      peekFrames(kMixChunkFrames * kChannels) {}

Stream::~Stream() {
  StopDecoder(*this);
  CloseAvInput(input);
  DestroySpectrumAnalyser(analyser);
}

namespace {

// Decoder thread: decode ahead while the ring has room, wait while it is full.
void RunDecoder(Stream* s) {
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
    if (offset < pending.size()) {
      std::unique_lock lock(s->wakeMutex);
      s->wake.wait_for(lock, kFullRingPoll, [s] { return s->abort.load(std::memory_order_acquire); });
    }
  }
  // Let go of the connection now: a server sending junk would otherwise go on
  // filling the socket until the stream is freed.
  CloseAvInput(s->input);
  s->input = nullptr;
  s->channel.ended.store(true, std::memory_order_release);
}

}  // namespace

StreamOpenResult OpenStream(const char* url, int rateHz) {
  auto stream = std::make_unique<Stream>(rateHz);
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

}  // namespace orvelle
