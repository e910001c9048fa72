// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of playing the one live stream, each on the library's function
// table and a stream handle. What the user sees of them (messages, the
// now-playing poll) is the application's business.
#pragma once

#include <array>
#include <string>

#include "audio/audio_api.h"

struct StreamOpened {
  HSTREAM handle = 0;  // 0: the library could not open the stream
  int errorCode = 0;   // the library's code for that failure
};

// Opens the stream at `url` (plain ASCII) without starting it; on failure,
// the library's error code, read on the calling thread as the library keeps
// it. Blocks until the library has connected or failed: any thread.
StreamOpened CreateUrlStream(const AudioApi& api, const std::string& url);
// Plays the stream from where it is (a live stream has nowhere to restart from).
void PlayStream(const AudioApi& api, HSTREAM handle);
// Stops the stream and frees it; the handle is then no longer valid.
void StopAndFreeStream(const AudioApi& api, HSTREAM handle);
void SetStreamVolume(const AudioApi& api, HSTREAM handle, float volume);
// True while the stream is playing or paused; stalled, stopped or absent
// (handle 0 included, which is asked all the same) is not live.
bool IsStreamPlaying(const AudioApi& api, HSTREAM handle);
// The 512 magnitudes of the latest 1024-sample transform; the result is not
// looked at, and `spectrum` keeps its contents where the library writes none.
void ReadSpectrum(const AudioApi& api, HSTREAM handle, std::array<float, 512>& spectrum);
// The latest samples as 32-bit floats; the library's answer in bytes, 0 or
// less (-1) when there are none.
int32_t ReadSamples(const AudioApi& api, HSTREAM handle, std::array<float, 1024>& samples);
