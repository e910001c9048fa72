// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/screen_reader_text.h"

#include <cmath>
#include <string>

#include "display/main_view.h"

SpokenView DescribeMainView(const SongState& song, const PlaybackState& playback) {
  const ArtistTitle shown = ShownSong(song.currentSong);
  const Text state = playback.streamLive ? u"en direct" : u"arr\u00EAt\u00E9";
  const Text stateCapital = playback.streamLive ? u"En direct" : u"Arr\u00EAt\u00E9";
  const int volumePercent = int(std::lround(playback.volume * 100.0f));
  SpokenView spoken;
  spoken.name = u"Orvelle Player, " + shown.title + u", " + shown.artist + u", " + state;
  spoken.description = u"Titre : " + shown.title + u". Artiste : " + shown.artist + u". " + stateCapital +
                       u". Volume : " + T(std::to_string(volumePercent)) + u" %.";
  return spoken;
}
