// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/media_status.h"

#include "app/changes.h"
#include "text/title_text.h"

MediaStatus FirstMediaStatus(const PlayerModel& player) {
  MediaStatus status;
  const unsigned song = player.song.currentSong.empty() ? 0u : unsigned(kSongChanged);
  FollowChanges(status, player, song | kCoverChanged | kPlayingChanged | kVolumeChanged);
  return status;
}

unsigned FollowChanges(MediaStatus& status, const PlayerModel& player, unsigned changes) {
  unsigned published = 0;
  if (changes & kPlayingChanged) {
    status.playing = player.playback.streamLive;
    published |= kMediaPlaybackStatus;
  }
  if (changes & kVolumeChanged) {
    status.volume = player.playback.volume;
    published |= kMediaVolume;
  }
  if (changes & kSongChanged) {
    ++status.songNumber;
    // The same split as the window's lines, without its stand-ins for what is missing.
    const ArtistTitle parts = SplitNowPlaying(player.song.currentSong);
    status.title = parts.title;
    status.artist = parts.artist;
    published |= kMediaMetadata;
  }
  if (changes & (kSongChanged | kCoverChanged)) {
    const bool coverShown = player.song.coverScaled != nullptr || player.song.coverImage != nullptr;
    const uint32_t coverNumber = coverShown ? status.coverNumber + 1 : 0;
    if (coverNumber != status.coverNumber) published |= kMediaMetadata;
    status.coverNumber = coverNumber;
  }
  return published;
}

std::string TrackObjectPath(uint32_t songNumber) {
  if (songNumber == 0) return "/org/mpris/MediaPlayer2/TrackList/NoTrack";
  return "/io/github/orvelle/Player/song/" + std::to_string(songNumber);
}
