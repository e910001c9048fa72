// SPDX-License-Identifier: GPL-3.0-or-later
// The only file that sees PulseAudio. A live stream needs no low latency, so
// the stream asks for a deep buffer filled in large requests: the mixer wakes
// about a dozen times a second. What a deep buffer would cost the listener
// (a stop heard only once it has played out, a start behind the silence it
// holds) is avoided by dropping it at those moments, which SDL cannot do.
#include "pulse_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <memory>

#include "channel.h"

namespace orvelle {

constexpr int kTargetMs = 200;   // the stream's buffer and the sink's together
constexpr int kRequestMs = 80;   // the least the server asks for at once
// Short of frames, the output writes only what the streams have while the
// stream's buffer still holds this much: enough until the next request.
constexpr int kFloorMs = kRequestMs + 20;
// A server that takes the connection and never answers would otherwise hold
// BASS_Init, and the player's start, for ever.
constexpr int kConnectTimeoutMs = 3000;
constexpr int kStartLookMs = 10;     // how often a stream asked to play is looked at until it can...
constexpr int kStartLookForMs = 2000; // ...for as long as a slow station takes to fill the pre-buffer
constexpr int kCancelLookMs = 20;    // how often a connection under way looks whether it is still wanted

struct PulseOutput {
  Mixer* mixer = nullptr;
  int rateHz = 0;
  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  pa_stream* stream = nullptr;
  size_t targetFrames = 0;
  size_t bufferBytes = 0;  // the stream's own part of the target, as the server set it
  size_t floorFrames = 0;
  const std::atomic<bool>* cancelled = nullptr;
  std::function<void()> lost;
  bool open = false;             // under the loop's lock: connected, so a failure is a loss
  bool connectTimedOut = false;  // under the loop's lock
  bool dropping = false;  // under the loop's lock: a drop was asked, its refill not written yet
  pa_time_event* startLook = nullptr;  // under the loop's lock: armed while a start is awaited...
  pa_usec_t startLookUntilUs = 0;      // ...until then at most
};

namespace {

constexpr size_t kFrameBytes = kChannels * sizeof(float);

void Unref(pa_operation* operation) {
  if (operation != nullptr) pa_operation_unref(operation);
}

// The server went away (a crash, a restart) or dropped the stream (its sink
// removed, the stream killed): told once, and only once the output was open.
void ReportLoss(PulseOutput& out) {
  if (!out.open) return;
  out.open = false;
  out.lost();
}

void OnContextState(pa_context* context, void* user) {
  auto* out = static_cast<PulseOutput*>(user);
  if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) ReportLoss(*out);
  pa_threaded_mainloop_signal(out->loop, 0);
}

void OnStreamState(pa_stream* stream, void* user) {
  auto* out = static_cast<PulseOutput*>(user);
  if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) ReportLoss(*out);
  pa_threaded_mainloop_signal(out->loop, 0);
}

// The loop's thread: drops the queue when a channel can start sounding and it
// holds only silence; the server then asks at once for a full buffer.
bool DropForStart(PulseOutput& out, size_t writableBytes) {
  const size_t queuedFrames = out.targetFrames - std::min(out.targetFrames, writableBytes / kFrameBytes);
  if (out.dropping || !ShouldDropQueueForStart(*out.mixer, queuedFrames)) return false;
  out.dropping = true;
  Unref(pa_stream_flush(out.stream, nullptr, nullptr));
  return true;
}

// The loop's thread, until the stream asked to play can start or sounds.
void OnStartLook(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* user) {
  auto* out = static_cast<PulseOutput*>(user);
  const size_t bytes = pa_stream_writable_size(out->stream);
  if (bytes == size_t(-1) || DropForStart(*out, bytes) || !AChannelWaitsToStart(*out->mixer) ||
      pa_rtclock_now() > out->startLookUntilUs) {
    api->time_free(event);
    out->startLook = nullptr;
    return;
  }
  pa_context_rttime_restart(out->context, event, pa_rtclock_now() + pa_usec_t(kStartLookMs) * 1000);
}

// The loop's thread, whenever the server has room for at least a request.
void OnWritable(pa_stream* stream, size_t, void* user) {
  auto* out = static_cast<PulseOutput*>(user);
  size_t bytes = pa_stream_writable_size(stream);
  if (bytes == size_t(-1)) return;
  if (DropForStart(*out, bytes)) return;  // the server asks again for what it dropped
  // Frames the stream and the sink hold: the target less what is asked for.
  size_t queued = out->targetFrames - std::min(out->targetFrames, bytes / kFrameBytes);
  if (out->dropping) {
    // The server asks for what it dropped, which may be less than a full
    // buffer: a start is placed in a full one.
    bytes = std::max(bytes, out->bufferBytes);
    queued = out->targetFrames - std::min(out->targetFrames, out->bufferBytes / kFrameBytes);
  } else {
    // A station at the real-time pace delivers its frames a few at a time: a
    // request that comes before the next few is answered with what there is,
    // the server's buffer carrying the listener meanwhile.
    const size_t requested = bytes / kFrameBytes;
    const size_t ahead = FramesSoundingAhead(*out->mixer);
    if (ahead < requested && queued + ahead >= out->floorFrames) bytes = ahead * kFrameBytes;
  }
  out->dropping = false;
  size_t written = 0;
  while (bytes >= kFrameBytes) {
    void* data = nullptr;
    size_t n = bytes;
    if (pa_stream_begin_write(stream, &data, &n) < 0 || data == nullptr) return;
    n -= n % kFrameBytes;
    if (n == 0) {
      pa_stream_cancel_write(stream);
      return;
    }
    MixChannels(*out->mixer, static_cast<float*>(data), n / kFrameBytes);
    if (pa_stream_write(stream, data, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
    bytes -= n;
    written += n;
  }
  PublishDeviceDelay(*out->mixer, queued + written / kFrameBytes);
}

void OnConnectTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* user) {
  auto* out = static_cast<PulseOutput*>(user);
  out->connectTimedOut = true;
  pa_threaded_mainloop_signal(out->loop, 0);
}

// While connecting: wakes the wait, which looks whether it is still wanted.
void OnCancelLook(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* user) {
  auto* out = static_cast<PulseOutput*>(user);
  pa_threaded_mainloop_signal(out->loop, 0);
  timeval next;
  pa_timeval_add(pa_gettimeofday(&next), pa_usec_t(kCancelLookMs) * 1000);
  api->time_restart(event, &next);
}

bool GivesUp(const PulseOutput& out) {
  return out.connectTimedOut || out.cancelled->load(std::memory_order_acquire);
}

bool ConnectContext(PulseOutput& out) {
  out.context = pa_context_new(pa_threaded_mainloop_get_api(out.loop), "Orvelle Player");
  if (out.context == nullptr) return false;
  pa_context_set_state_callback(out.context, OnContextState, &out);
  // No server is started for us: without one the SDL output is used.
  if (pa_context_connect(out.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
  for (;;) {  // the state callback signals each change
    const pa_context_state_t state = pa_context_get_state(out.context);
    if (state == PA_CONTEXT_READY) return true;
    if (!PA_CONTEXT_IS_GOOD(state) || GivesUp(out)) return false;
    pa_threaded_mainloop_wait(out.loop);
  }
}

bool ConnectStream(PulseOutput& out) {
  const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32NE, uint32_t(out.rateHz), uint8_t(kChannels)};
  pa_channel_map map;
  pa_channel_map_init_stereo(&map);
  out.stream = pa_stream_new(out.context, "Radio", &sampleFormat, &map);
  if (out.stream == nullptr) return false;
  pa_stream_set_state_callback(out.stream, OnStreamState, &out);
  pa_stream_set_write_callback(out.stream, OnWritable, &out);
  pa_buffer_attr attr;
  attr.maxlength = uint32_t(-1);
  attr.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(kTargetMs) * 1000, &sampleFormat));
  attr.prebuf = uint32_t(-1);
  attr.minreq = uint32_t(pa_usec_to_bytes(pa_usec_t(kRequestMs) * 1000, &sampleFormat));
  attr.fragsize = uint32_t(-1);
  // The target is the whole latency: the server shares it between the
  // stream's buffer and the sink's.
  if (pa_stream_connect_playback(out.stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0)
    return false;
  for (;;) {
    const pa_stream_state_t state = pa_stream_get_state(out.stream);
    if (state == PA_STREAM_READY) return true;
    if (!PA_STREAM_IS_GOOD(state) || GivesUp(out)) return false;
    pa_threaded_mainloop_wait(out.loop);
  }
}

}  // namespace

PulseOutput* OpenPulseOutput(int rateHz, Mixer* mixer, const std::atomic<bool>& cancelled,
                             std::function<void()> lost, bool* timedOut) {
  *timedOut = false;
  auto out = std::make_unique<PulseOutput>();
  out->mixer = mixer;
  out->rateHz = rateHz;
  out->cancelled = &cancelled;
  out->lost = std::move(lost);
  out->targetFrames = size_t(rateHz) * kTargetMs / 1000;
  out->floorFrames = size_t(rateHz) * kFloorMs / 1000;
  out->loop = pa_threaded_mainloop_new();
  if (out->loop == nullptr) return nullptr;
  pa_threaded_mainloop_set_name(out->loop, "orvelle-pulse");
  if (pa_threaded_mainloop_start(out->loop) < 0) {
    ClosePulseOutput(out.release());
    return nullptr;
  }
  pa_threaded_mainloop_lock(out->loop);
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(out->loop);
  timeval deadline;
  pa_timeval_add(pa_gettimeofday(&deadline), pa_usec_t(kConnectTimeoutMs) * 1000);
  pa_time_event* timeout = api->time_new(api, &deadline, OnConnectTimeout, out.get());
  timeval now;
  pa_time_event* cancelLook = api->time_new(api, pa_gettimeofday(&now), OnCancelLook, out.get());
  const bool ok = ConnectContext(*out) && ConnectStream(*out);
  if (timeout != nullptr) api->time_free(timeout);
  if (cancelLook != nullptr) api->time_free(cancelLook);
  *timedOut = !ok && out->connectTimedOut;
  if (ok) out->bufferBytes = pa_stream_get_buffer_attr(out->stream)->tlength;
  out->open = ok;
  pa_threaded_mainloop_unlock(out->loop);
  if (!ok) {
    ClosePulseOutput(out.release());
    return nullptr;
  }
  return out.release();
}

void ClosePulseOutput(PulseOutput* out) {
  if (out == nullptr) return;
  if (out->loop != nullptr) {
    pa_threaded_mainloop_lock(out->loop);
    if (out->startLook != nullptr) pa_threaded_mainloop_get_api(out->loop)->time_free(out->startLook);
    if (out->stream != nullptr) {
      pa_stream_set_write_callback(out->stream, nullptr, nullptr);
      pa_stream_set_state_callback(out->stream, nullptr, nullptr);
      pa_stream_disconnect(out->stream);
      pa_stream_unref(out->stream);
    }
    if (out->context != nullptr) {
      pa_context_set_state_callback(out->context, nullptr, nullptr);
      pa_context_disconnect(out->context);
      pa_context_unref(out->context);
    }
    pa_threaded_mainloop_unlock(out->loop);
    pa_threaded_mainloop_stop(out->loop);
    pa_threaded_mainloop_free(out->loop);
  }
  delete out;
}

void LookForPulseStart(PulseOutput* out) {
  pa_threaded_mainloop_lock(out->loop);
  out->startLookUntilUs = pa_rtclock_now() + pa_usec_t(kStartLookForMs) * 1000;
  if (out->startLook == nullptr && pa_stream_get_state(out->stream) == PA_STREAM_READY)
    out->startLook = pa_context_rttime_new(out->context, pa_rtclock_now(), OnStartLook, out);
  pa_threaded_mainloop_unlock(out->loop);
}

void DropPulseQueue(PulseOutput* out) {
  pa_threaded_mainloop_lock(out->loop);
  if (pa_stream_get_state(out->stream) == PA_STREAM_READY) {
    out->dropping = true;
    Unref(pa_stream_flush(out->stream, nullptr, nullptr));
  }
  pa_threaded_mainloop_unlock(out->loop);
}

}  // namespace orvelle
