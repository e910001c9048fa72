// SPDX-License-Identifier: GPL-3.0-or-later
// The only file that sees WASAPI: the default render device in shared mode,
// fed by the mixer on a timer of our own. When the device fails (unplugged,
// the audio service restarted: AUDCLNT_E_DEVICE_INVALIDATED or any other
// failure) or another becomes the default, the device thread opens the
// default one again (device_loss.h).
#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <future>
#include <memory>

#include "channel.h"
#include "device_loss.h"
#include "orvelle/bass.h"
#include "output.h"
#include "output_thread.h"
#include "silent_clock.h"

namespace orvelle {

// A live stream needs no low latency. An event-driven stream is woken at every
// period of the audio engine (10 ms); a timer of our own over a deeper
// buffer wakes a dozen times a second and still leaves 120 ms for a late wake.
// What the deep buffer would cost the listener (a stop heard once it has
// played out, a start behind the silence it holds) is avoided by dropping it
// (Stop and Reset) at those moments.
constexpr REFERENCE_TIME kBufferHns = 2000000;  // 200 ms (units of 100 ns)
constexpr DWORD kFeedEveryMs = 80;
// Short of frames, a feed gives only what the streams have while the device
// still holds this much: enough until the next, even a late one.
constexpr DWORD kFloorMs = kFeedEveryMs + 40;
constexpr DWORD kDeviceSilentMs = 2000;  // the device took nothing this long: it is gone
// A driver that hangs in a call while BASS_Free waits for the device thread:
// the thread is let go of after this.
constexpr auto kLetGoAfter = std::chrono::milliseconds(150);

struct Output {
  Mixer* mixer = nullptr;
  int rateHz = 44100;
  // The device thread, or the silent clock for device 0. Once `stop` is set
  // it touches the mixer no more, whatever call it returns from.
  OutputThread thread;
  std::atomic<bool> stop{false};
  HANDLE stopEvent = nullptr;    // wakes the device thread at once
  HANDLE dropEvent = nullptr;    // the device thread drops the device's buffer, then feeds it
  HANDLE changeEvent = nullptr;  // render devices came, went or changed (Windows' notification thread)
  std::atomic<bool> defaultChanged{false};  // ...and the default is another one
};

namespace {

// {00000003-0000-0010-8000-00aa00389b71}, KSDATAFORMAT_SUBTYPE_IEEE_FLOAT,
// spelled out: the header's constant needs initguid.h in a particular order.
constexpr GUID kFloatSubFormat = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

template <typename T>
void Release(T*& p) {
  if (p != nullptr) p->Release();
  p = nullptr;
}

WAVEFORMATEXTENSIBLE StereoFloat(int rateHz) {
  WAVEFORMATEXTENSIBLE f{};
  f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  f.Format.nChannels = kChannels;
  f.Format.nSamplesPerSec = DWORD(rateHz);
  f.Format.wBitsPerSample = 32;
  f.Format.nBlockAlign = WORD(kChannels * sizeof(float));
  f.Format.nAvgBytesPerSec = f.Format.nSamplesPerSec * f.Format.nBlockAlign;
  f.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
  f.Samples.wValidBitsPerSample = 32;
  f.dwChannelMask = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
  f.SubFormat = kFloatSubFormat;
  return f;
}

struct Device {
  IMMDevice* endpoint = nullptr;
  IAudioClient* client = nullptr;
  IAudioRenderClient* render = nullptr;
  UINT32 bufferFrames = 0;
  UINT32 floorFrames = 0;
  bool started = false;
  DWORD lastTakenMs = 0;  // when the device last made room

  ~Device() { Close(); }
  void Close() {
    if (client != nullptr) client->Stop();
    Release(render);
    Release(client);
    Release(endpoint);
    started = false;
  }
};

// Told by Windows, on a thread of its own, when render devices come, go or
// change: wakes the device thread, which looks at it.
class DeviceWatch final : public IMMNotificationClient {
 public:
  explicit DeviceWatch(Output* out) : out_(out) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid != __uuidof(IUnknown) && iid != __uuidof(IMMNotificationClient)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
    if (flow == eRender && role == eConsole) {
      out_->defaultChanged.store(true, std::memory_order_release);
      SetEvent(out_->changeEvent);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return Changed(); }
  HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return Changed(); }
  HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return Changed(); }
  HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

 private:
  HRESULT Changed() {
    SetEvent(out_->changeEvent);
    return S_OK;
  }
  std::atomic<ULONG> references_{1};
  Output* out_;
};

// Opens the default device for our format; the audio engine converts the rate
// and channel count to the device's own (AUTOCONVERTPCM).
int OpenDevice(Device& d, IMMDeviceEnumerator* enumerator, int rateHz) {
  d.Close();
  if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &d.endpoint))) return BASS_ERROR_DEVICE;
  if (FAILED(d.endpoint->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&d.client))))
    return BASS_ERROR_DEVICE;
  const WAVEFORMATEXTENSIBLE format = StereoFloat(rateHz);
  const DWORD flags = AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
  if (FAILED(d.client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kBufferHns, 0,
                                  reinterpret_cast<const WAVEFORMATEX*>(&format), nullptr)))
    return BASS_ERROR_DEVICE;
  if (FAILED(d.client->GetBufferSize(&d.bufferFrames)) ||
      FAILED(d.client->GetService(__uuidof(IAudioRenderClient), reinterpret_cast<void**>(&d.render))))
    return BASS_ERROR_DEVICE;
  d.floorFrames = UINT32(rateHz) * kFloorMs / 1000;
  d.lastTakenMs = GetTickCount();
  return 0;
}

// Fills whatever part of the device buffer is free, having dropped what it
// held first when asked to or when a stream can start in place of silence,
// and starts the device if it is not playing. False once the device has
// failed (unplugged, its service restarted...) or has stopped taking frames,
// or once `stop` is set, which is looked at after every call that may hang.
bool Feed(Device& d, Mixer& mixer, bool drop, const std::atomic<bool>& stop) {
  UINT32 padding = 0;
  if (FAILED(d.client->GetCurrentPadding(&padding)) || stop.load()) return false;
  if (d.started && (drop || ShouldDropQueueForStart(mixer, padding))) {
    if (FAILED(d.client->Stop()) || FAILED(d.client->Reset()) || stop.load()) return false;
    d.started = false;
    padding = 0;
  }
  UINT32 frames = d.bufferFrames - padding;
  const DWORD nowMs = GetTickCount();
  if (frames == 0) return nowMs - d.lastTakenMs < kDeviceSilentMs;
  d.lastTakenMs = nowMs;
  // A station at the real-time pace delivers its frames a few at a time: a
  // feed that comes before the next few gives what there is, the device's
  // buffer carrying the listener meanwhile.
  const size_t ahead = FramesSoundingAhead(mixer);
  if (d.started && ahead < frames && padding + ahead >= d.floorFrames) frames = UINT32(ahead);
  if (frames > 0) {
    BYTE* data = nullptr;
    if (FAILED(d.render->GetBuffer(frames, &data)) || stop.load()) return false;
    MixChannels(mixer, reinterpret_cast<float*>(data), frames);
    if (FAILED(d.render->ReleaseBuffer(frames, 0))) return false;
  }
  if (!d.started) {
    if (FAILED(d.client->Start())) return false;
    d.started = true;
  }
  if (stop.load()) return false;
  PublishDeviceDelay(mixer, padding + frames);
  return true;
}

// Opens the default device and gives it its first frames.
bool OpenAndFeed(Device& d, IMMDeviceEnumerator* enumerator, Output* out) {
  if (OpenDevice(d, enumerator, out->rateHz) == 0 && Feed(d, *out->mixer, false, out->stop)) return true;
  d.Close();
  return false;
}

enum class Fed { Stop, Lost, Switch };

// Feeds the device until it fails or is stopped, or another is the default.
Fed FeedWhileOpen(Output* out, Device& d) {
  const HANDLE events[3] = {out->stopEvent, out->dropEvent, out->changeEvent};
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(3, events, FALSE, kFeedEveryMs);
    if (woke == WAIT_OBJECT_0) return Fed::Stop;
    if (woke == WAIT_OBJECT_0 + 2 && out->defaultChanged.exchange(false, std::memory_order_acq_rel)) return Fed::Switch;
    if (woke == WAIT_FAILED || !Feed(d, *out->mixer, woke == WAIT_OBJECT_0 + 1, out->stop)) return Fed::Lost;
  }
}

// While no device is open: until stopped, or until the devices change.
OutputWake WaitWithoutDevice(Output* out, std::chrono::milliseconds timeout) {
  const HANDLE events[2] = {out->stopEvent, out->changeEvent};
  const DWORD woke = WaitForMultipleObjects(2, events, FALSE, DWORD(timeout.count()));
  if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return OutputWake::Stop;
  if (woke == WAIT_OBJECT_0 + 1) {
    out->defaultChanged.store(false, std::memory_order_release);  // whatever it is, it is tried next
    return OutputWake::DeviceChange;
  }
  return OutputWake::Timeout;
}

// The device thread, once the first device plays: feeds it, and when it goes
// (or another becomes the default) opens the default again.
void KeepDevice(Output* out, IMMDeviceEnumerator* enumerator, Device& d) {
  for (;;) {
    if (FeedWhileOpen(out, d) == Fed::Stop || out->stop.load()) return;
    d.Close();
    if (out->stop.load()) return;  // the close hung until BASS_Free: the mixer is no longer ours
    const bool reopened = MixUnheardUntilReopened(
        *out->mixer, out->rateHz, [&] { return OpenAndFeed(d, enumerator, out); },
        [out](std::chrono::milliseconds timeout) { return WaitWithoutDevice(out, timeout); });
    if (!reopened) return;
  }
}

// The device thread. COM is set up here, in a multithreaded apartment of our
// own, so the host's threads keep whatever COM state they chose.
void RunDevice(Output* out, std::promise<int>& opened) {
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  IMMDeviceEnumerator* enumerator = nullptr;
  if (!com || FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                      reinterpret_cast<void**>(&enumerator)))) {
    opened.set_value(BASS_ERROR_DRIVER);
    if (com) CoUninitialize();
    return;
  }
  // Without notifications a switch of the default is not followed; a lost
  // device still is.
  auto* watch = new DeviceWatch(out);
  const bool watching = SUCCEEDED(enumerator->RegisterEndpointNotificationCallback(watch));
  {
    Device d;
    const bool ok = OpenAndFeed(d, enumerator, out);
    opened.set_value(ok ? 0 : BASS_ERROR_DEVICE);
    if (ok) KeepDevice(out, enumerator, d);
  }
  if (watching) enumerator->UnregisterEndpointNotificationCallback(watch);
  watch->Release();
  Release(enumerator);
  CoUninitialize();
}

void FreeOutput(Output* out) {
  for (HANDLE event : {out->stopEvent, out->dropEvent, out->changeEvent})
    if (event != nullptr) CloseHandle(event);
  delete out;
}

}  // namespace

void PinEngineLibrary() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&PinEngineLibrary), &self);
}

int OpenOutput(int device, int rateHz, Mixer* mixer, Output** output) {
  if (device != -1 && device != 0) return BASS_ERROR_DEVICE;
  auto* out = new Output;
  out->mixer = mixer;
  out->rateHz = rateHz;
  if (device == 0) {
    StartOutputThread(
        out->thread, [out] { RunSilentClock(*out->mixer, out->rateHz, out->stop); }, [out] { FreeOutput(out); });
    *output = out;
    return 0;
  }
  out->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  out->dropEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  out->changeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (out->stopEvent == nullptr || out->dropEvent == nullptr || out->changeEvent == nullptr) {
    CloseOutput(out);
    return BASS_ERROR_MEM;
  }
  auto opened = std::make_shared<std::promise<int>>();
  std::future<int> result = opened->get_future();
  StartOutputThread(out->thread, [out, opened] { RunDevice(out, *opened); }, [out] { FreeOutput(out); });
  if (const int code = result.get(); code != 0) {
    CloseOutput(out);
    return code;
  }
  *output = out;
  return 0;
}

void CloseOutput(Output* out) {
  if (out == nullptr) return;
  out->stop.store(true, std::memory_order_release);
  if (out->stopEvent != nullptr) SetEvent(out->stopEvent);
  if (!JoinOutputThread(out->thread, kLetGoAfter)) return;  // it frees `out` itself when its call returns
  FreeOutput(out);
}

void ExpectStart(Output*) {}  // the next feed, at most kFeedEveryMs away, starts it

void DropQueuedSound(Output* out) {
  if (out != nullptr && out->dropEvent != nullptr) SetEvent(out->dropEvent);
}

}  // namespace orvelle
