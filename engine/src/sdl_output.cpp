// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux output: PulseAudio straight where a sound server answers (see
// pulse_output.cpp), SDL otherwise. The only file that sees SDL.
#include <SDL2/SDL.h>

#if defined(__linux__)
#include <dlfcn.h>
#endif

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "channel.h"
#include "orvelle/bass.h"
#include "output.h"
#include "pulse_output.h"
#include "silent_clock.h"

namespace orvelle {

// SDL cannot drop what its device holds, and mixes a period ahead of it: a
// stop is heard some two periods late. Short periods keep that prompt, at
// the price of some 170 wake-ups a second.
constexpr int kDevicePeriodFrames = 1024;  // about 23 ms at 44.1 kHz

struct Output {
  Mixer* mixer = nullptr;
  PulseOutput* pulse = nullptr;
  SDL_AudioDeviceID device = 0;
  void* alsa = nullptr;  // our reference to SDL's ALSA library, while its messages are dropped
  // "No sound": a thread stands in for the device.
  std::thread silentClock;
  std::atomic<bool> stopClock{false};
};

namespace {

// Unless SDL was told to use another driver (the tests' dummy one, say).
bool PulseWanted() {
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  return driver == nullptr || *driver == '\0' || std::strcmp(driver, "pulseaudio") == 0;
}

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

void QuietAlsa(Output* out) {
  out->alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (out->alsa != nullptr) SetAlsaErrorHandler(out->alsa, DropAlsaMessage);
}

void ReleaseAlsa(Output* out) {
  if (out->alsa == nullptr) return;
  SetAlsaErrorHandler(out->alsa, nullptr);
  dlclose(out->alsa);
  out->alsa = nullptr;
}
#else
void QuietAlsa(Output*) {}
void ReleaseAlsa(Output*) {}
#endif

int OpenDevice(Output* out, int rateHz) {
  // SDL would otherwise take SIGINT and SIGTERM for an event queue that
  // nobody reads, and the host program would no longer end on them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Orvelle Player");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Radio");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return BASS_ERROR_DRIVER;
  QuietAlsa(out);
  SDL_AudioSpec want{};
  want.freq = rateHz;
  want.format = AUDIO_F32SYS;
  want.channels = kChannels;
  want.samples = kDevicePeriodFrames;
  want.callback = DeviceCallback;
  want.userdata = out->mixer;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts whatever the hardware wants.
  out->device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (out->device == 0) {
    ReleaseAlsa(out);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return BASS_ERROR_DEVICE;
  }
  SDL_PauseAudioDevice(out->device, 0);
  return 0;
}

}  // namespace

int OpenOutput(int device, int rateHz, Mixer* mixer, Output** output) {
  if (device != -1 && device != 0) return BASS_ERROR_DEVICE;
  auto* out = new Output;
  out->mixer = mixer;
  if (device == 0) {
    out->silentClock = std::thread([out, rateHz] { RunSilentClock(*out->mixer, rateHz, out->stopClock); });
  } else {
    bool serverHung = false;
    if (PulseWanted()) out->pulse = OpenPulseOutput(rateHz, mixer, &serverHung);
    if (serverHung) {  // SDL would wait for it without end
      delete out;
      return BASS_ERROR_DEVICE;
    }
    if (out->pulse == nullptr) {
      if (int code = OpenDevice(out, rateHz); code != 0) {
        delete out;
        return code;
      }
    }
  }
  *output = out;
  return 0;
}

void CloseOutput(Output* out) {
  if (out == nullptr) return;
  ClosePulseOutput(out->pulse);
  if (out->device != 0) {
    SDL_CloseAudioDevice(out->device);  // waits for a running callback
    ReleaseAlsa(out);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // SDL keeps its hints until SDL_Quit; with nothing else of SDL in use,
    // release them so that no allocation outlives the library.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  }
  if (out->silentClock.joinable()) {
    out->stopClock.store(true, std::memory_order_release);
    out->silentClock.join();
  }
  delete out;
}

void ExpectStart(Output* out) {
  if (out != nullptr && out->pulse != nullptr) LookForPulseStart(out->pulse);
}

void DropQueuedSound(Output* out) {
  if (out != nullptr && out->pulse != nullptr) DropPulseQueue(out->pulse);
}

}  // namespace orvelle
