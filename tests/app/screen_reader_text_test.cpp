// SPDX-License-Identifier: GPL-3.0-or-later
// The words a screen reader gets for the painted main view.
#include "app/screen_reader_text.h"

#include <gtest/gtest.h>

namespace {

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
    SongState song;
    PlaybackState playback;
    song.currentSong = c.song;
    playback.streamLive = c.live;
    playback.volume = c.volume;
    const SpokenView spoken = DescribeMainView(song, playback);
    EXPECT_EQ(TextToUtf8(spoken.name), c.name);
    EXPECT_EQ(TextToUtf8(spoken.description), c.description);
  }
}

}  // namespace
