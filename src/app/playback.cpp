// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/playback.h"

#include <string>

#include "app/poll.h"
#include "audio/stream_control.h"
#include "os/log.h"

Text StreamOpenErrorText(int code) {
  return T("Impossible d'ouvrir le flux (code " + std::to_string(code) + ")");
}

void OpenStream(Player& player) {
  if (player.streamHandle != 0) return;
  // The URL is plain ASCII by construction, so UTF-8 is the 8-bit form the library wants.
  const StreamOpened opened = OpenUrlStream(Bass(player), player.config.streamUrl, player.volume);
  player.streamHandle = opened.handle;
  if (opened.handle == 0) {
    LogDiagnostic("stream open failed (code %d) for %s", opened.errorCode, player.config.streamUrl.c_str());
    player.shell.showMessageBox(T("Erreur"), StreamOpenErrorText(opened.errorCode));
  }
}

void StartPlayback(Player& player) {
  OpenStream(player);
  if (player.streamHandle == 0) return;
  PlayStream(Bass(player), player.streamHandle);
  // The title is fresh when the sound starts.
  PollNowPlaying(player);
}

void StopPlayback(Player& player) {
  if (player.streamHandle == 0) return;
  StopAndFreeStream(Bass(player), player.streamHandle);
  player.streamHandle = 0;
}

void SetVolume(Player& player, float volume) {
  player.volume = volume;
  if (player.streamHandle != 0) SetStreamVolume(Bass(player), player.streamHandle, volume);
}

bool IsStreamLive(const Player& player) { return IsStreamPlaying(Bass(player), player.streamHandle); }
