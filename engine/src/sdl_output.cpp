// SPDX-License-Identifier: GPL-3.0-or-later
// The only file that sees SDL.
#include "sdl_output.h"

#include <SDL2/SDL.h>

#if defined(__linux__)
#include <dlfcn.h>
#endif

#include <atomic>

#include "channel.h"
#include "orvelle/bass.h"

namespace orvelle {

// SDL cannot drop what its device holds, and mixes a period ahead of it: a
// stop is heard some two periods late. Short periods keep that prompt, at
// the price of some 170 wake-ups a second.
constexpr int kDevicePeriodFrames = 1024;  // about 23 ms at 44.1 kHz

struct SdlOutput {
  Mixer* mixer = nullptr;
  std::function<void()> lost;
  std::atomic<SDL_AudioDeviceID> device{0};  // read by SDL's thread
  void* alsa = nullptr;  // our reference to SDL's ALSA library, while its messages are dropped
};

namespace {

void DeviceCallback(void* user, Uint8* stream, int bytes) {
  auto* mixer = static_cast<Mixer*>(user);
  MixChannels(*mixer, reinterpret_cast<float*>(stream), size_t(bytes) / (sizeof(float) * kChannels));
  // SDL says nothing of the device's delay. Just after a callback PulseAudio
  // holds about a period and a quarter (its own buffer plus the sink's).
  PublishDeviceDelay(*mixer, kDevicePeriodFrames + kDevicePeriodFrames / 4);
}

#if defined(__linux__)
// With no sound device ALSA, which SDL falls back to, writes some eight lines
// of errors to stderr. The player keeps no log: they are dropped. Only an
// ALSA that SDL has already loaded is touched, and its own handler is put
// back before our reference goes, since ours lives in this library.
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler);

void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void SetAlsaErrorHandler(void* alsa, AlsaErrorHandler handler) {
  if (auto set = reinterpret_cast<AlsaSetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(handler);
}

void QuietAlsa(SdlOutput* out) {
  out->alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (out->alsa != nullptr) SetAlsaErrorHandler(out->alsa, DropAlsaMessage);
}

void ReleaseAlsa(SdlOutput* out) {
  if (out->alsa == nullptr) return;
  SetAlsaErrorHandler(out->alsa, nullptr);
  dlclose(out->alsa);
  out->alsa = nullptr;
}
#else
void QuietAlsa(SdlOutput*) {}
void ReleaseAlsa(SdlOutput*) {}
#endif

// SDL's thread, within SDL_PushEvent: the device is gone. SDL goes on calling
// the mixer at the real-time pace into nothing until the device is closed.
int OnSdlEvent(void* user, SDL_Event* event) {
  auto* out = static_cast<SdlOutput*>(user);
  if (event->type == SDL_AUDIODEVICEREMOVED && event->adevice.iscapture == 0 && event->adevice.which == out->device)
    out->lost();
  return 1;
}

void ReleaseSdl(SdlOutput* out) {
  SDL_DelEventWatch(OnSdlEvent, out);
  // Nobody reads SDL's event queue: what the audio subsystem put there goes.
  SDL_FlushEvents(SDL_AUDIODEVICEADDED, SDL_AUDIODEVICEREMOVED);
  ReleaseAlsa(out);
  SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
  // SDL keeps its hints until SDL_Quit; with nothing else of SDL in use,
  // release them so that no allocation outlives the library.
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

}  // namespace

int OpenSdlOutput(int rateHz, Mixer* mixer, const std::atomic<bool>& cancelled, std::function<void()> lost,
                  SdlOutput** output) {
  // SDL would otherwise take SIGINT and SIGTERM for an event queue that
  // nobody reads, and the host program would no longer end on them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Orvelle Player");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Radio");
  // Events only for the removed device's, which SDL gives nowhere else.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS) != 0) return BASS_ERROR_DRIVER;
  auto* out = new SdlOutput;
  out->mixer = mixer;
  out->lost = std::move(lost);
  QuietAlsa(out);
  SDL_AudioSpec want{};
  want.freq = rateHz;
  want.format = AUDIO_F32SYS;
  want.channels = kChannels;
  want.samples = kDevicePeriodFrames;
  want.callback = DeviceCallback;
  want.userdata = mixer;
  SDL_AudioSpec have{};
  SDL_AddEventWatch(OnSdlEvent, out);
  // No changes allowed: SDL converts whatever the hardware wants.
  out->device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  // Removed before we knew its number, or no longer wanted: as good as not opened.
  if (out->device != 0 && (SDL_GetAudioDeviceStatus(out->device) == SDL_AUDIO_STOPPED || cancelled.load())) {
    SDL_CloseAudioDevice(out->device);
    out->device = 0;
  }
  if (out->device == 0) {
    ReleaseSdl(out);
    delete out;
    return BASS_ERROR_DEVICE;
  }
  SDL_PauseAudioDevice(out->device, 0);
  *output = out;
  return 0;
}

void CloseSdlOutput(SdlOutput* out) {
  if (out == nullptr) return;
  SDL_CloseAudioDevice(out->device);  // waits for a running callback
  ReleaseSdl(out);
  delete out;
}

}  // namespace orvelle
