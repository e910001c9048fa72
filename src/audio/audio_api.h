// SPDX-License-Identifier: GPL-3.0-or-later
// The calls the player makes into the audio library, loaded at run time.
// The function table is the seam where tests put a fake library.
#pragma once

#include "orvelle/bass.h"

constexpr DWORD kAttribVolume = BASS_ATTRIB_VOL;
constexpr DWORD kDataFft1024 = BASS_DATA_FFT1024;  // 512 magnitudes of a 1024-sample transform
constexpr DWORD kDataFloat = BASS_DATA_FLOAT;      // float samples; OR the byte count in
constexpr DWORD kActiveStopped = BASS_ACTIVE_STOPPED, kActivePlaying = BASS_ACTIVE_PLAYING,
                kActiveStalled = BASS_ACTIVE_STALLED, kActivePaused = BASS_ACTIVE_PAUSED;

// One pointer per call of the engine's list, with the library's calling convention.
struct AudioApi {
#define ORVELLE_BASS_CALL(need, result, name, parameters) result(BASSCALL* name) parameters = nullptr;
#include "orvelle/bass_calls.h"
#undef ORVELLE_BASS_CALL
};

// The loaded library: `handle` is the platform's handle, nullptr while not loaded.
struct AudioLibrary {
  void* handle = nullptr;
  AudioApi api;
};
