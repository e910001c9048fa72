// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/media_status.h"

#include "text/title_text.h"

unsigned FollowPlayer(MediaTracker& tracker, const Player& player) {
  const MediaStatus before = tracker.status;
  MediaStatus& now = tracker.status;
  now.playing = player.streamLive;
  now.volume = player.volume;

  const bool newSong = player.currentSong != tracker.song;
  if (newSong) {
    tracker.song = player.currentSong;
    ++now.songNumber;
    // The same split as the window's lines, without its stand-ins for what is missing.
    const ArtistTitle parts = SplitNowPlaying(player.currentSong);
    now.title = parts.title;
    now.artist = parts.artist;
  }

  const bool coverShown = player.coverScaled != nullptr || player.coverImage != nullptr;
  if (!coverShown) {
    now.coverNumber = 0;
  } else if (newSong || before.coverNumber == 0 || player.coverSerial != tracker.coverSerial) {
    ++now.coverNumber;
  }
  tracker.coverSerial = player.coverSerial;

  unsigned changes = 0;
  if (now.playing != before.playing) changes |= kMediaPlaybackStatus;
  if (now.songNumber != before.songNumber || now.coverNumber != before.coverNumber) changes |= kMediaMetadata;
  if (now.volume != before.volume) changes |= kMediaVolume;
  return changes;
}

std::string TrackObjectPath(uint32_t songNumber) {
  if (songNumber == 0) return "/org/mpris/MediaPlayer2/TrackList/NoTrack";
  return "/io/github/orvelle/Player/song/" + std::to_string(songNumber);
}
