// SPDX-License-Identifier: GPL-3.0-or-later
// The eleven exported calls. They run on the application's thread(s) and
// serialise on one mutex that neither the mixer nor the decoders ever take.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "av_spectrum.h"
#include "orvelle/bass.h"
#include "output.h"
#include "stream.h"

namespace orvelle {
namespace {

constexpr DWORD kDataFlagsMask = 0xF0000000u;
constexpr DWORD kDataError = 0xFFFFFFFFu;
constexpr int kMinRateHz = 8000, kMaxRateHz = 192000;
constexpr int kVolumeRampMs = 5;
// Half the pre-buffer: what a station at the real-time pace may be late by
// before the output's buffer has to carry it.
constexpr int kStartMarginMs = 50;

thread_local int lastError = 0;

struct Engine {
  std::mutex mutex;  // guards every field below
  bool initialised = false;
  uint64_t generation = 0;  // bumped by BASS_Free: an open that outlived it is dropped
  Mixer mixer;
  Output* output = nullptr;
  std::map<DWORD, std::unique_ptr<Stream>> streams;
  DWORD lastHandle = 0;
};

// Not destroyed at exit while initialised: a call may still be under way on
// another thread of the host.
Engine*& EnginePointer() {
  static Engine* engine = new Engine;
  return engine;
}

Engine& TheEngine() { return *EnginePointer(); }

// Unloaded (or at exit) after BASS_Free or without BASS_Init: no stream, no
// output, nothing left running, so the engine goes too and the host's leak
// checks see nothing of ours once the library is gone.
__attribute__((destructor)) void ReleaseEngineAtUnload() {
  Engine*& engine = EnginePointer();
  if (engine == nullptr || engine->initialised) return;
  delete engine;
  engine = nullptr;
}

template <typename T>
T Fail(int code, T result) {
  lastError = code;
  return result;
}

template <typename T>
T Succeed(T result) {
  lastError = 0;
  return result;
}

Stream* FindStream(Engine& e, DWORD handle) {
  const auto it = e.streams.find(handle);
  return it == e.streams.end() ? nullptr : it->second.get();
}

// The preamble of every call on a handle: under the engine's lock, `fn` gets
// the engine and the stream; a handle that names no stream fails with
// BASS_ERROR_HANDLE and `failure`.
template <typename T, typename Fn>
T WithStream(DWORD handle, T failure, Fn&& fn) {
  Engine& e = TheEngine();
  std::lock_guard lock(e.mutex);
  Stream* s = FindStream(e, handle);
  if (s == nullptr) return Fail(BASS_ERROR_HANDLE, failure);
  return fn(e, *s);
}

DWORD NextHandle(Engine& e) {
  do ++e.lastHandle;
  while (e.lastHandle == 0 || e.lastHandle == kDataError || e.streams.count(e.lastHandle) != 0);
  return e.lastHandle;
}

// A listener who stops a stream expects the sound to end, not the device's
// buffer to play out: what it holds is dropped, unless another stream is
// heard in it too. Called once `s`, which was playing, no longer is.
void DropQueuedSoundOf(Engine& e, const Stream& s) {
  for (const auto& [handle, other] : e.streams) {
    if (other.get() != &s && other->channel.playState.load(std::memory_order_acquire) == PlayState::Playing &&
        !other->channel.stalled.load(std::memory_order_relaxed))
      return;
  }
  DropQueuedSound(e.output);
}

void DestroyAllStreams(Engine& e) {
  for (auto& [handle, stream] : e.streams) stream->abort.store(true);  // all interrupt at once
  for (auto& [handle, stream] : e.streams) DetachChannel(e.mixer, &stream->channel);
  e.streams.clear();
}

// Hands `sink` the frames about to be heard, in chunks, through the stream's
// own buffer: from the one the listener hears now, which the device may have
// taken from the ring a while ago, onwards.
template <typename Sink>
size_t PeekFrames(const Mixer& mixer, Stream& s, size_t wanted, Sink sink) {
  const ptrdiff_t from = -ptrdiff_t(std::min(UnheardFrames(mixer, s.channel), s.channel.ring.historyFrames()));
  size_t done = 0;
  while (done < wanted) {
    const size_t chunk = std::min(wanted - done, s.peekFrames.size() / kChannels);
    const size_t got = s.channel.ring.peek(s.peekFrames.data(), chunk, from + ptrdiff_t(done));
    sink(s.peekFrames.data(), done, got);
    done += got;
    if (got < chunk) break;
  }
  return done;
}

DWORD SpectrumData(const Mixer& mixer, Stream& s, void* buffer) {
  float mono[kFftSize] = {};
  const size_t frames = PeekFrames(mixer, s, kFftSize, [&](const float* f, size_t at, size_t n) {
    for (size_t i = 0; i < n; ++i) mono[at + i] = 0.5f * (f[i * kChannels] + f[i * kChannels + 1]);
  });
  float magnitudes[kFftBins];
  ComputeSpectrum(s.analyser, mono, magnitudes);
  std::memcpy(buffer, magnitudes, sizeof magnitudes);
  return DWORD(frames * kChannels * sizeof(float));
}

DWORD FloatData(const Mixer& mixer, Stream& s, void* buffer, size_t bytes) {
  auto* out = static_cast<unsigned char*>(buffer);
  const size_t frameBytes = kChannels * sizeof(float);
  const size_t frames = PeekFrames(mixer, s, bytes / frameBytes, [&](const float* f, size_t at, size_t n) {
    std::memcpy(out + at * frameBytes, f, n * frameBytes);
  });
  return DWORD(frames * frameBytes);
}

// Without BASS_DATA_FLOAT the channel reads as 16-bit samples.
DWORD Int16Data(const Mixer& mixer, Stream& s, void* buffer, size_t bytes) {
  auto* out = static_cast<unsigned char*>(buffer);
  const size_t frameBytes = kChannels * sizeof(int16_t);
  const size_t frames = PeekFrames(mixer, s, bytes / frameBytes, [&](const float* f, size_t at, size_t n) {
    for (size_t i = 0; i < n * kChannels; ++i) {
      const auto v = int16_t(std::lrint(std::clamp(f[i], -1.0f, 1.0f) * 32767.0f));
      std::memcpy(out + at * frameBytes + i * sizeof v, &v, sizeof v);
    }
  });
  return DWORD(frames * frameBytes);
}

}  // namespace
}  // namespace orvelle

using namespace orvelle;

// A C entry point must never let an exception out.
#define GUARDED(failure) \
  catch (const std::bad_alloc&) { return Fail(BASS_ERROR_MEM, failure); } \
  catch (...) { return Fail(BASS_ERROR_UNKNOWN, failure); }

BOOL BASS_Init(int device, DWORD freq, DWORD, void*, const void*) try {
  Engine& e = TheEngine();
  std::lock_guard lock(e.mutex);
  if (e.initialised) return Fail(BASS_ERROR_ALREADY, 0);
  const int rateHz = freq == 0 ? 44100 : int(std::min<DWORD>(freq, kMaxRateHz + 1));
  if (rateHz < kMinRateHz || rateHz > kMaxRateHz) return Fail(BASS_ERROR_ILLPARAM, 0);
  e.mixer.rateHz = rateHz;
  e.mixer.rampFrames = size_t(rateHz) * kVolumeRampMs / 1000;
  e.mixer.startMarginFrames = size_t(rateHz) * kStartMarginMs / 1000;
  // Nothing known yet of the device this output opens.
  e.mixer.delay.atNs.store(0);
  e.mixer.deviceLost.store(false);
  if (int code = OpenOutput(device, rateHz, &e.mixer, &e.output); code != 0) return Fail(code, 0);
  e.initialised = true;
  return Succeed(1);
} GUARDED(0)

BOOL BASS_Free(void) try {
  Engine& e = TheEngine();
  std::lock_guard lock(e.mutex);
  if (!e.initialised) return Fail(BASS_ERROR_INIT, 0);
  CloseOutput(e.output);
  e.output = nullptr;
  DestroyAllStreams(e);
  e.initialised = false;
  ++e.generation;
  return Succeed(1);
} GUARDED(0)

int BASS_ErrorGetCode(void) { return lastError; }

HSTREAM BASS_StreamCreateURL(const char* url, DWORD, DWORD, void*, void*) try {
  Engine& e = TheEngine();
  int rateHz;
  uint64_t generation;
  {
    std::lock_guard lock(e.mutex);
    if (!e.initialised) return Fail(BASS_ERROR_INIT, HSTREAM(0));
    rateHz = e.mixer.rateHz;
    generation = e.generation;
  }
  // Connecting takes up to seconds: other calls go on meanwhile.
  StreamOpenResult opened = OpenStream(url, rateHz);
  if (opened.stream == nullptr) return Fail(opened.error, HSTREAM(0));
  std::lock_guard lock(e.mutex);
  if (!e.initialised || e.generation != generation) return Fail(BASS_ERROR_INIT, HSTREAM(0));
  if (!AttachChannel(e.mixer, &opened.stream->channel)) return Fail(BASS_ERROR_MEM, HSTREAM(0));
  const DWORD handle = NextHandle(e);
  e.streams.emplace(handle, std::move(opened.stream));
  return Succeed(handle);
} GUARDED(HSTREAM(0))

BOOL BASS_ChannelPlay(DWORD handle, BOOL) try {
  return WithStream(handle, BOOL(0), [](Engine& e, Stream& s) {
    StartChannel(s.channel);  // a live stream has nowhere to restart from
    ExpectStart(e.output);
    return Succeed(BOOL(1));
  });
} GUARDED(0)

BOOL BASS_ChannelStop(DWORD handle) try {
  return WithStream(handle, BOOL(0), [](Engine& e, Stream& s) {
    const bool drop = s.channel.playState.load(std::memory_order_acquire) == PlayState::Playing;
    s.channel.playState.store(PlayState::Stopped, std::memory_order_release);
    if (drop) DropQueuedSoundOf(e, s);
    WakeDecoder(s);  // a stopped stream does not come back by itself
    return Succeed(BOOL(1));
  });
} GUARDED(0)

BOOL BASS_ChannelPause(DWORD handle) try {
  return WithStream(handle, BOOL(0), [](Engine& e, Stream& s) {
    PlayState expected = PlayState::Playing;
    if (s.channel.playState.compare_exchange_strong(expected, PlayState::Paused)) {
      DropQueuedSoundOf(e, s);
      return Succeed(BOOL(1));
    }
    return Fail(expected == PlayState::Paused ? BASS_ERROR_ALREADY : BASS_ERROR_NOPLAY, BOOL(0));
  });
} GUARDED(0)

BOOL BASS_StreamFree(HSTREAM handle) try {
  return WithStream(handle, BOOL(0), [handle](Engine& e, Stream& s) {
    s.abort.store(true);
    const bool drop = s.channel.playState.load(std::memory_order_acquire) == PlayState::Playing;
    DetachChannel(e.mixer, &s.channel);
    if (drop) DropQueuedSoundOf(e, s);
    e.streams.erase(handle);  // joins the decoder thread
    return Succeed(BOOL(1));
  });
} GUARDED(0)

BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value) try {
  return WithStream(handle, BOOL(0), [attrib, value](Engine&, Stream& s) {
    if (attrib != BASS_ATTRIB_VOL) return Fail(BASS_ERROR_ILLTYPE, BOOL(0));
    if (!std::isfinite(value)) return Fail(BASS_ERROR_ILLPARAM, BOOL(0));
    s.channel.targetGain.store(std::clamp(value, 0.0f, 1.0f), std::memory_order_relaxed);
    return Succeed(BOOL(1));
  });
} GUARDED(0)

DWORD BASS_ChannelIsActive(DWORD handle) try {
  return WithStream(handle, DWORD(BASS_ACTIVE_STOPPED), [](Engine& e, Stream& s) {
    switch (s.channel.playState.load(std::memory_order_acquire)) {
      case PlayState::Playing: {
        // Without a device nothing is heard, however well the stream flows.
        const bool unheard =
            s.channel.stalled.load() || e.mixer.deviceLost.load(std::memory_order_acquire) || DeviceHangs(e.mixer);
        return Succeed(DWORD(unheard ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING));
      }
      case PlayState::Paused: return Succeed(DWORD(BASS_ACTIVE_PAUSED));
      case PlayState::Stopped: break;
    }
    return Succeed(DWORD(BASS_ACTIVE_STOPPED));
  });
} GUARDED(DWORD(BASS_ACTIVE_STOPPED))

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) try {
  return WithStream(handle, kDataError, [buffer, length](Engine& e, Stream& s) {
    if (length == BASS_DATA_AVAILABLE)
      return Succeed(DWORD(s.channel.ring.availableFrames() * kChannels * sizeof(int16_t)));
    if (buffer == nullptr) return Fail(BASS_ERROR_ILLPARAM, kDataError);
    if ((length & 0x80000000u) != 0) {
      if (length != BASS_DATA_FFT1024) return Fail(BASS_ERROR_ILLPARAM, kDataError);
      return Succeed(SpectrumData(e.mixer, s, buffer));
    }
    const size_t bytes = length & ~kDataFlagsMask;
    if ((length & BASS_DATA_FLOAT) != 0) return Succeed(FloatData(e.mixer, s, buffer, bytes));
    return Succeed(Int16Data(e.mixer, s, buffer, bytes));
  });
} GUARDED(kDataError)
