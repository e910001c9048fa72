#include "audio/playback.h"

#include <string>

#include "nowplaying/poll.h"

Text StreamOpenErrorText(int code) {
  return T("Impossible d'ouvrir le flux (code " + std::to_string(code) + ")");
}

void OpenStream(Player& player) {
  if (player.streamHandle != 0) return;
  const AudioApi& bass = Bass(player);
  // The URL is plain ASCII by construction, so UTF-8 is the 8-bit form the library wants.
  player.streamHandle = bass.BASS_StreamCreateURL(player.config.streamUrl.c_str(), 0, 0, nullptr, nullptr);
  if (player.streamHandle == 0) {
    player.shell.showMessageBox(T("Erreur"), StreamOpenErrorText(bass.BASS_ErrorGetCode()));
    return;
  }
  bass.BASS_ChannelSetAttribute(player.streamHandle, kAttribVolume, player.volume);
}

void StartPlayback(Player& player) {
  OpenStream(player);
  if (player.streamHandle == 0) return;
  Bass(player).BASS_ChannelPlay(player.streamHandle, 0);
  PollNowPlaying(player);
}

void StopPlayback(Player& player) {
  if (player.streamHandle == 0) return;
  Bass(player).BASS_ChannelStop(player.streamHandle);
  Bass(player).BASS_StreamFree(player.streamHandle);
  player.streamHandle = 0;
}

void SetVolume(Player& player, float volume) {
  player.volume = volume;
  if (player.streamHandle != 0) Bass(player).BASS_ChannelSetAttribute(player.streamHandle, kAttribVolume, volume);
}

bool IsStreamLive(const Player& player) {
  // Asked even without a stream: the library answers "stopped" for handle 0.
  if (Bass(player).BASS_ChannelIsActive == nullptr) return false;
  const DWORD state = Bass(player).BASS_ChannelIsActive(player.streamHandle);
  return state == kActivePlaying || state == kActivePaused;
}
