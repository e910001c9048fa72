// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop's media controls are told of the player after each
// change the app marks.
#include "platform/media_status.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "app/changes.h"
#include "display/view_fixture.h"

namespace {

TEST(MediaStatus, FollowsTheChangesTheAppMarks) {
  PlayerModel player;
  MediaStatus status = FirstMediaStatus(player);
  EXPECT_EQ(status.songNumber, 0u);  // start-up, nothing known
  EXPECT_EQ(status.coverNumber, 0u);
  struct Step {
    const char* what;
    std::function<void()> act;
    unsigned changes;    // what the app marked
    unsigned published;  // what is published again
    uint32_t songNumber, coverNumber;
    const char16_t* title;
    const char16_t* artist;
  } steps[] = {
      {"first song", [&] { player.song.currentSong = u"Blue Sky - Night Song"; }, kSongChanged, kMediaMetadata, 1, 0,
       u"Night Song", u"Blue Sky"},
      {"its cover", [&] { player.song.coverScaled = SolidImage(4, 4, 0x336699); }, kCoverChanged, kMediaMetadata, 1, 1, u"Night Song",
       u"Blue Sky"},
      {"LIVE", [&] { player.playback.streamLive = true; }, kPlayingChanged, kMediaPlaybackStatus, 1, 1, u"Night Song",
       u"Blue Sky"},
      {"volume", [&] { player.playback.volume = 0.25f; }, kVolumeChanged, kMediaVolume, 1, 1, u"Night Song",
       u"Blue Sky"},
      // The previous song's cover stays on screen: published again under a new name.
      {"next song, no cover found", [&] { player.song.currentSong = u"Quatuor Zinc - Square Dance [Live]"; },
       kSongChanged, kMediaMetadata, 2, 2, u"Square Dance [Live]", u"Quatuor Zinc"},
      {"its cover after a retry", [] {}, kCoverChanged, kMediaMetadata, 2, 3, u"Square Dance [Live]", u"Quatuor Zinc"},
      {"song and cover in one poll", [&] { player.song.currentSong = u"Jingle"; }, kSongChanged | kCoverChanged,
       kMediaMetadata, 3, 4, u"Jingle", u""},
      {"OFF and a new volume", [&] { player.playback.streamLive = false, player.playback.volume = 1.0f; },
       kPlayingChanged | kVolumeChanged, kMediaPlaybackStatus | kMediaVolume, 3, 4, u"Jingle", u""},
      {"a frame", [] {}, kFrameDue, 0, 3, 4, u"Jingle", u""},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    EXPECT_EQ(FollowChanges(status, player, step.changes), step.published);
    EXPECT_EQ(status.playing, player.playback.streamLive);
    EXPECT_EQ(status.volume, player.playback.volume);
    EXPECT_EQ(status.songNumber, step.songNumber);
    EXPECT_EQ(status.coverNumber, step.coverNumber);
    EXPECT_EQ(status.title, step.title);
    EXPECT_EQ(status.artist, step.artist);
  }
  // Met for the first time with a song and its cover: both are the first.
  const MediaStatus first = FirstMediaStatus(player);
  EXPECT_EQ((std::pair{first.songNumber, first.coverNumber}), (std::pair{1u, 1u}));
}

TEST(MediaStatus, EachSongHasAnObjectPathOfItsOwn) {
  const std::regex objectPath("(/[A-Za-z0-9_]+)+");
  EXPECT_EQ(TrackObjectPath(0), "/org/mpris/MediaPlayer2/TrackList/NoTrack");
  for (uint32_t song : {1u, 2u, 4000000000u}) {
    SCOPED_TRACE(song);
    EXPECT_TRUE(std::regex_match(TrackObjectPath(song), objectPath)) << TrackObjectPath(song);
    EXPECT_NE(TrackObjectPath(song), TrackObjectPath(song + 1));
    EXPECT_NE(TrackObjectPath(song), TrackObjectPath(0));
  }
}

}  // namespace
