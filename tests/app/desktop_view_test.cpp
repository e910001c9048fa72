// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop is told of the player: the media controls' status and
// when it counts as changed, and the words a screen reader gets.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "app/media_status.h"
#include "app/screen_reader_text.h"

namespace {

Image Solid() {
  Image image = CreateImage(4, 4);
  std::fill(image->pixels.begin(), image->pixels.end(), 0xFF336699u);
  return image;
}

TEST(MediaStatus, FollowsTheWindowAndCountsOnlyRealChanges) {
  Player player;
  MediaTracker tracker;
  struct Step {
    const char* what;
    std::function<void()> act;
    unsigned changes;
    uint32_t songNumber, coverNumber;
    const char16_t* title;
    const char16_t* artist;
  } steps[] = {
      {"start-up, nothing known", [] {}, 0, 0, 0, u"", u""},
      {"first song", [&] { player.currentSong = u"Blue Sky - Night Song"; }, kMediaMetadata, 1, 0, u"Night Song",
       u"Blue Sky"},
      {"a tick", [] {}, 0, 1, 0, u"Night Song", u"Blue Sky"},
      {"its cover", [&] { player.coverScaled = Solid(); ++player.coverSerial; }, kMediaMetadata, 1, 1, u"Night Song",
       u"Blue Sky"},
      {"LIVE", [&] { player.streamLive = true; }, kMediaPlaybackStatus, 1, 1, u"Night Song", u"Blue Sky"},
      {"volume", [&] { player.volume = 0.25f; }, kMediaVolume, 1, 1, u"Night Song", u"Blue Sky"},
      {"the same volume", [&] { player.volume = 0.25f; }, 0, 1, 1, u"Night Song", u"Blue Sky"},
      // The previous song's cover stays on screen: published again under a new name.
      {"next song, no cover found", [&] { player.currentSong = u"Quatuor Zinc - Square Dance [Live]"; },
       kMediaMetadata, 2, 2, u"Square Dance [Live]", u"Quatuor Zinc"},
      {"its cover after a retry", [&] { ++player.coverSerial; }, kMediaMetadata, 2, 3, u"Square Dance [Live]",
       u"Quatuor Zinc"},
      {"song and cover in one poll", [&] { player.currentSong = u"Jingle"; ++player.coverSerial; }, kMediaMetadata, 3,
       4, u"Jingle", u""},
      {"OFF and a new volume", [&] { player.streamLive = false; player.volume = 1.0f; },
       kMediaPlaybackStatus | kMediaVolume, 3, 4, u"Jingle", u""},
      {"cover gone", [&] { FreeImage(player.coverScaled); }, kMediaMetadata, 3, 0, u"Jingle", u""},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    EXPECT_EQ(FollowPlayer(tracker, player), step.changes);
    EXPECT_EQ(tracker.status.playing, player.streamLive);
    EXPECT_EQ(tracker.status.volume, player.volume);
    EXPECT_EQ(tracker.status.songNumber, step.songNumber);
    EXPECT_EQ(tracker.status.coverNumber, step.coverNumber);
    EXPECT_EQ(tracker.status.title, step.title);
    EXPECT_EQ(tracker.status.artist, step.artist);
  }
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

TEST(ScreenReaderText, SaysWhatTheWindowShows) {
  const struct {
    const char16_t* song;
    bool live;
    float volume;
    const char* name;
    const char* description;
  } cases[] = {
      {u"", false, 0.8f, "Orvelle Player, Titre inconnu, Artiste inconnu, arrêté",
       "Titre : Titre inconnu. Artiste : Artiste inconnu. Arrêté. Volume : 80 %."},
      {u"Blue Sky - Night Song", true, 0.25f, "Orvelle Player, Night Song, Blue Sky, en direct",
       "Titre : Night Song. Artiste : Blue Sky. En direct. Volume : 25 %."},
      {u"Jingle", true, 0.0f, "Orvelle Player, Jingle, Artiste inconnu, en direct",
       "Titre : Jingle. Artiste : Artiste inconnu. En direct. Volume : 0 %."},
      {u"Les Ondes Vertes - ", false, 1.0f, "Orvelle Player, Titre inconnu, Les Ondes Vertes, arrêté",
       "Titre : Titre inconnu. Artiste : Les Ondes Vertes. Arrêté. Volume : 100 %."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.song));
    PlayerModel model;
    model.currentSong = c.song;
    model.streamLive = c.live;
    model.volume = c.volume;
    const SpokenView spoken = DescribeMainView(model);
    EXPECT_EQ(TextToUtf8(spoken.name), c.name);
    EXPECT_EQ(TextToUtf8(spoken.description), c.description);
  }
}

}  // namespace
