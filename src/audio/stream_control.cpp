// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/stream_control.h"

StreamOpened CreateUrlStream(const AudioApi& api, const std::string& url) {
  // Offset 0, no flags, no download callback, no user value.
  const HSTREAM handle = api.BASS_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
  if (handle == 0) return {0, api.BASS_ErrorGetCode()};
  return {handle, 0};
}

void PlayStream(const AudioApi& api, HSTREAM handle) { api.BASS_ChannelPlay(handle, 0); }

void StopAndFreeStream(const AudioApi& api, HSTREAM handle) {
  api.BASS_ChannelStop(handle);
  api.BASS_StreamFree(handle);
}

void SetStreamVolume(const AudioApi& api, HSTREAM handle, float volume) {
  api.BASS_ChannelSetAttribute(handle, kAttribVolume, volume);
}

bool IsStreamPlaying(const AudioApi& api, HSTREAM handle) {
  if (api.BASS_ChannelIsActive == nullptr) return false;
  const DWORD state = api.BASS_ChannelIsActive(handle);
  return state == kActivePlaying || state == kActivePaused;
}

void ReadSpectrum(const AudioApi& api, HSTREAM handle, std::array<float, 512>& spectrum) {
  api.BASS_ChannelGetData(handle, spectrum.data(), kDataFft1024);
}

int32_t ReadSamples(const AudioApi& api, HSTREAM handle, std::array<float, 1024>& samples) {
  const DWORD request = kDataFloat | DWORD(sizeof samples);
  return int32_t(api.BASS_ChannelGetData(handle, samples.data(), request));
}
