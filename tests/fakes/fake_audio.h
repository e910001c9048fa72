// SPDX-License-Identifier: GPL-3.0-or-later
// A fake audio library for tests: records every call and answers from a
// script. Calls may come from two threads (the player opens its stream on a
// worker); the script is set while no call runs. The same code is used in-process (FakeAudioApi) and as a
// libbass.so that the real loader opens.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "audio/audio_api.h"

struct FakeAudioScript {
  BOOL initResult = 1;
  int errorCode = 0;                 // what BASS_ErrorGetCode answers
  HSTREAM createResult = 7;          // 0 makes BASS_StreamCreateURL fail
  DWORD activeAnswer = kActivePlaying;  // answer for a valid handle
  DWORD dataResult = 4096;           // BASS_ChannelGetData's answer
  float sampleValue = 0.5f;          // what float sample requests write
  float spectrumValue = 0.1f;        // what FFT requests write
  std::vector<float> samples;        // when set, float sample requests write these instead
  // Run inside BASS_StreamCreateURL, on the caller's thread: a station that
  // takes its time to answer.
  std::function<void()> whileOpening;
};

struct FakeAudioLog {
  std::vector<std::string> calls;  // "BASS_Init(-1,44100,0)", "BASS_ChannelPlay(7,0)", ...
  std::string lastUrl;
  float lastVolume = -1.0f;
};

FakeAudioScript& FakeScript();
FakeAudioLog& FakeLog();
// Resets the script to its defaults and clears the log.
void ResetFake();

// The fake's function table, for tests that bypass the loader.
AudioApi FakeAudioApi();
