// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux output: PulseAudio straight where a sound server answers (see
// pulse_output.cpp), SDL otherwise (sdl_output.cpp), and a thread of its own
// that brings the sound back when the device goes away (device_loss.h).
#include <dlfcn.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "channel.h"
#include "device_loss.h"
#include "orvelle/bass.h"
#include "output.h"
#include "output_thread.h"
#include "pulse_output.h"
#include "sdl_output.h"
#include "silent_clock.h"

namespace orvelle {

// Thread rule: the keeper thread opens and closes devices; the API thread
// reaches the open one under `deviceMutex`, which is never held while a
// device opens (that can take seconds) nor by a device's own thread. Device
// threads only report a loss, under `wakeMutex`, which guards nothing else.
struct Output {
  Mixer* mixer = nullptr;
  int rateHz = 44100;
  bool viaPulse = false;  // fixed at BASS_Init: what is reopened after a loss

  std::mutex deviceMutex;
  PulseOutput* pulse = nullptr;  // the open device, at most one of the two
  SdlOutput* sdl = nullptr;

  std::mutex wakeMutex;
  std::condition_variable wake;
  bool lostReported = false;  // under wakeMutex
  bool stopping = false;      // under wakeMutex
  std::atomic<bool> cancelOpen{false};  // BASS_Free: an open under way gives up

  OutputThread keeper;  // also the silent clock of device 0
  std::atomic<bool> stopClock{false};
};

// A device that hangs while BASS_Free waits for the keeper: let go of after this.
constexpr auto kLetGoAfter = std::chrono::milliseconds(150);

void PinEngineLibrary() {
  Dl_info self;
  if (dladdr(reinterpret_cast<void*>(&PinEngineLibrary), &self) != 0 && self.dli_fname != nullptr)
    dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

namespace {

// Unless SDL was told to use another driver (the tests' dummy one, say).
bool PulseWanted() {
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  return driver == nullptr || *driver == '\0' || std::strcmp(driver, "pulseaudio") == 0;
}

// A device's thread.
void ReportLoss(Output* out) {
  {
    std::lock_guard lock(out->wakeMutex);
    out->lostReported = true;
  }
  out->wake.notify_all();
}

// Opens the device of the kind chosen at BASS_Init, the default one now.
// The keeper thread, or BASS_Init before it runs.
int OpenDevice(Output* out, bool* serverHung) {
  *serverHung = false;
  PulseOutput* pulse = nullptr;
  SdlOutput* sdl = nullptr;
  const auto lost = [out] { ReportLoss(out); };
  if (out->viaPulse) {
    pulse = OpenPulseOutput(out->rateHz, out->mixer, out->cancelOpen, lost, serverHung);
    if (pulse == nullptr) return BASS_ERROR_DEVICE;
  } else if (int code = OpenSdlOutput(out->rateHz, out->mixer, out->cancelOpen, lost, &sdl); code != 0) {
    return code;
  }
  std::lock_guard lock(out->deviceMutex);
  out->pulse = pulse;
  out->sdl = sdl;
  return 0;
}

// Once it returns, no callback of the device runs.
void CloseDevice(Output* out) {
  PulseOutput* pulse;
  SdlOutput* sdl;
  {
    std::lock_guard lock(out->deviceMutex);
    pulse = std::exchange(out->pulse, nullptr);
    sdl = std::exchange(out->sdl, nullptr);
  }
  ClosePulseOutput(pulse);
  CloseSdlOutput(sdl);
}

OutputWake WaitForWake(Output* out, std::chrono::milliseconds timeout) {
  std::unique_lock lock(out->wakeMutex);
  out->wake.wait_for(lock, timeout, [out] { return out->stopping; });
  return out->stopping ? OutputWake::Stop : OutputWake::Timeout;
}

// Sleeps while the device plays; when it goes, closes it and brings the
// sound back on whatever device is the default by then.
void KeepDevice(Output* out) {
  for (;;) {
    {
      std::unique_lock lock(out->wakeMutex);
      out->wake.wait(lock, [out] { return out->stopping || out->lostReported; });
      if (out->stopping) return;
      out->lostReported = false;
    }
    CloseDevice(out);
    if (out->cancelOpen.load()) return;  // closing: the mixer is no longer ours
    const bool reopened = MixUnheardUntilReopened(
        *out->mixer, out->rateHz,
        [out] {
          bool hung;
          return OpenDevice(out, &hung) == 0;
        },
        [out](std::chrono::milliseconds timeout) { return WaitForWake(out, timeout); });
    if (!reopened) return;
  }
}

}  // namespace

int OpenOutput(int device, int rateHz, Mixer* mixer, Output** output) {
  if (device != -1 && device != 0) return BASS_ERROR_DEVICE;
  auto* out = new Output;
  out->mixer = mixer;
  out->rateHz = rateHz;
  if (device == 0) {
    StartOutputThread(
        out->keeper, [out] { RunSilentClock(*out->mixer, out->rateHz, out->stopClock); }, [out] { delete out; });
    *output = out;
    return 0;
  }
  bool serverHung = false;
  out->viaPulse = PulseWanted();
  int code = OpenDevice(out, &serverHung);
  if (code != 0 && out->viaPulse && !serverHung) {  // no server: SDL, unless it would wait for a hung one
    out->viaPulse = false;
    code = OpenDevice(out, &serverHung);
  }
  if (code != 0) {
    delete out;
    return serverHung ? BASS_ERROR_DEVICE : code;
  }
  StartOutputThread(out->keeper, [out] { KeepDevice(out); },
                    [out] {
                      CloseDevice(out);
                      delete out;
                    });
  *output = out;
  return 0;
}

void CloseOutput(Output* out) {
  if (out == nullptr) return;
  out->cancelOpen.store(true, std::memory_order_release);
  {
    std::lock_guard lock(out->wakeMutex);
    out->stopping = true;
  }
  out->wake.notify_all();
  out->stopClock.store(true, std::memory_order_release);
  if (!JoinOutputThread(out->keeper, kLetGoAfter)) return;  // it closes its device and frees `out` itself
  CloseDevice(out);
  delete out;
}

void ExpectStart(Output* out) {
  if (out == nullptr) return;
  std::lock_guard lock(out->deviceMutex);
  if (out->pulse != nullptr) LookForPulseStart(out->pulse);
}

void DropQueuedSound(Output* out) {
  if (out == nullptr) return;
  std::lock_guard lock(out->deviceMutex);
  if (out->pulse != nullptr) DropPulseQueue(out->pulse);
}

}  // namespace orvelle
