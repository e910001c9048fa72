// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/playback.h"

#include <string>

#include "app/background.h"
#include "app/changes.h"
#include "app/events.h"
#include "app/poll.h"
#include "audio/stream_control.h"
#include "os/log.h"

namespace {

// The stream is there: it plays, and the title is fresh when the sound starts.
void PlayAndPoll(Player& player) {
  PlayStream(Bass(player), player.playback.streamHandle);
  PollNowPlaying(player);
}

// The end of an open, on the window's thread.
void TakeOpenedStream(Player& player, const StreamOpened& opened) {
  PlaybackState& playback = player.playback;
  playback.streamOpening = false;
  if (playback.openWithdrawn) {
    // Stopped while it opened: what the open made goes at once, unheard.
    if (opened.handle != 0) StopAndFreeStream(Bass(player), opened.handle);
    return;
  }
  if (opened.handle == 0) {
    LogDiagnostic("stream open failed (code %d) for %s", opened.errorCode, player.config.streamUrl.c_str());
    ShowMessage(player, T("Erreur"), StreamOpenErrorText(opened.errorCode));
    return;
  }
  playback.streamHandle = opened.handle;
  // The volume of now: the slider may have moved while the stream opened.
  SetStreamVolume(Bass(player), playback.streamHandle, playback.volume);
  PlayAndPoll(player);
  MarkChanged(player, kFrameDue);  // LIVE at once, as after a press
}

}  // namespace

Text StreamOpenErrorText(int code) {
  return T("Impossible d'ouvrir le flux (code " + std::to_string(code) + ")");
}

void StartPlayback(Player& player) {
  PlaybackState& playback = player.playback;
  if (playback.streamHandle != 0) {
    PlayAndPoll(player);
    return;
  }
  // A press while the stream opens takes back a stop pressed meanwhile: the
  // open under way plays when it ends.
  playback.openWithdrawn = false;
  if (playback.streamOpening) return;
  playback.streamOpening = true;
  // The URL is plain ASCII by construction, so UTF-8 is the 8-bit form the library wants.
  RunInBackground(player, Lane::Stream, [api = Bass(player), url = player.config.streamUrl]() -> Apply {
    const StreamOpened opened = CreateUrlStream(api, url);
    return [opened](Player& p) { TakeOpenedStream(p, opened); };
  });
}

void StopPlayback(Player& player) {
  PlaybackState& playback = player.playback;
  if (playback.streamOpening) playback.openWithdrawn = true;
  if (playback.streamHandle == 0) return;
  StopAndFreeStream(Bass(player), playback.streamHandle);
  playback.streamHandle = 0;
}

void SetVolume(Player& player, float volume) {
  PlaybackState& playback = player.playback;
  if (volume != playback.volume) MarkChanged(player, kVolumeChanged);
  playback.volume = volume;
  if (playback.streamHandle != 0) SetStreamVolume(Bass(player), playback.streamHandle, volume);
}
