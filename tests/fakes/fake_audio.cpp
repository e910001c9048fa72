// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_audio.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

namespace {
FakeAudioScript script;
FakeAudioLog log;
std::mutex logMutex;
void Note(std::string call) {
  std::lock_guard<std::mutex> lock(logMutex);
  log.calls.push_back(std::move(call));
}
std::string N(long long v) { return std::to_string(v); }
bool Valid(DWORD h) { return h != 0 && h == script.createResult; }
}  // namespace

FakeAudioScript& FakeScript() { return script; }
FakeAudioLog& FakeLog() { return log; }
void ResetFake() {
  script = FakeAudioScript{};
  log = FakeAudioLog{};
}

// The definitions meet the engine's declarations (bass.h, through
// audio_api.h): a signature that drifts from the list fails to compile.
extern "C" {

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* guid) {
  Note("BASS_Init(" + N(device) + "," + N(freq) + "," + N(flags) + "," + (win ? "win" : "0") + "," +
       (guid ? "guid" : "0") + ")");
  return script.initResult;
}
int BASS_ErrorGetCode() {
  Note("BASS_ErrorGetCode()");
  return script.errorCode;
}
HSTREAM BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags, void* proc, void* user) {
  if (script.whileOpening) script.whileOpening();
  {
    std::lock_guard<std::mutex> lock(logMutex);
    log.lastUrl = url ? url : "";
  }
  Note("BASS_StreamCreateURL(" + N(offset) + "," + N(flags) + "," + (proc ? "proc" : "0") + "," +
       (user ? "user" : "0") + ")");
  return script.createResult;
}
BOOL BASS_ChannelPlay(DWORD h, BOOL restart) {
  Note("BASS_ChannelPlay(" + N(h) + "," + N(restart) + ")");
  return Valid(h);
}
BOOL BASS_ChannelStop(DWORD h) {
  Note("BASS_ChannelStop(" + N(h) + ")");
  return Valid(h);
}
BOOL BASS_StreamFree(HSTREAM h) {
  Note("BASS_StreamFree(" + N(h) + ")");
  return Valid(h);
}
BOOL BASS_ChannelSetAttribute(DWORD h, DWORD attrib, float value) {
  {
    std::lock_guard<std::mutex> lock(logMutex);
    log.lastVolume = value;
  }
  Note("BASS_ChannelSetAttribute(" + N(h) + "," + N(attrib) + ")");
  return Valid(h);
}
DWORD BASS_ChannelIsActive(DWORD h) {
  Note("BASS_ChannelIsActive(" + N(h) + ")");
  return Valid(h) ? script.activeAnswer : kActiveStopped;
}
DWORD BASS_ChannelGetData(DWORD h, void* buffer, DWORD length) {
  Note("BASS_ChannelGetData(" + N(h) + "," + N(length) + ")");
  auto* out = static_cast<float*>(buffer);
  if (length == kDataFft1024) {
    for (int i = 0; i < 512; ++i) out[i] = script.spectrumValue;
  } else if ((length & kDataFloat) != 0 && script.dataResult != 0xFFFFFFFFu) {
    const DWORD bytes = std::min<DWORD>(length & ~kDataFloat, script.dataResult);
    for (DWORD i = 0; i < bytes / 4; ++i) {
      out[i] = i < script.samples.size() ? script.samples[i] : script.sampleValue;
    }
  }
  return script.dataResult;
}
BOOL BASS_Free() {
  Note("BASS_Free()");
  return 1;
}
BOOL BASS_ChannelPause(DWORD h) {
  Note("BASS_ChannelPause(" + N(h) + ")");
  return Valid(h);
}

}  // extern "C"

AudioApi FakeAudioApi() {
  // Every call of the list: a call the fake lacks fails to link here.
  AudioApi api;
#define ORVELLE_BASS_CALL(need, result, name, parameters) api.name = name;
#include "orvelle/bass_calls.h"
#undef ORVELLE_BASS_CALL
  return api;
}
