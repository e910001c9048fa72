// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/screen_reader_text.h"

#include <cmath>
#include <string>

#include "display/main_view.h"

SpokenView DescribeMainView(const PlayerModel& model) {
  const ArtistTitle song = ShownSong(model.currentSong);
  const Text state = model.streamLive ? u"en direct" : u"arr\u00EAt\u00E9";
  const Text stateCapital = model.streamLive ? u"En direct" : u"Arr\u00EAt\u00E9";
  const int volumePercent = int(std::lround(model.volume * 100.0f));
  SpokenView spoken;
  spoken.name = u"Orvelle Player, " + song.title + u", " + song.artist + u", " + state;
  spoken.description = u"Titre : " + song.title + u". Artiste : " + song.artist + u". " + stateCapital +
                       u". Volume : " + T(std::to_string(volumePercent)) + u" %.";
  return spoken;
}
