// SPDX-License-Identifier: GPL-3.0-or-later
// The demo station's songs and its on-air clock: which song plays at a given
// moment, and where the song slots begin. Pure functions, no I/O.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace station {

enum class CoverService { None, Itunes, Deezer };
enum class PictureFormat { Jpeg, Png };

struct CoverRecipe {
  CoverService service = CoverService::None;
  PictureFormat format = PictureFormat::Jpeg;
  int widthPx = 0;
  int heightPx = 0;
  uint8_t red = 0, green = 0, blue = 0;  // solid fill, so a screenshot can tell covers apart
};

struct Song {
  std::string artist;        // as the stream server announces them
  std::string title;
  std::string searchArtist;  // what a search service knows: decorations stripped
  std::string searchTitle;
  std::string trackFile;     // MP3 file name inside the media folder
  CoverRecipe cover;
};

// The fixed demo playlist. Every song has a different sound and a cover that
// differs in colour, format and size; one is only known to the second search
// service and one has no cover anywhere.
const std::vector<Song>& DemoPlaylist();

// "Artist - Title", the form a stream server puts in its pages and metadata.
std::string OnAirText(const Song& song);

// Floor division and a remainder that is never negative: clock readings
// before the station's origin (the initial burst) belong to earlier slots.
int64_t FloorDiv(int64_t a, int64_t b);
int64_t PositiveMod(int64_t a, int64_t b);

struct SongClock {
  int64_t songUs = 20'000'000;  // how long each song stays on air
  int firstSong = 0;            // index on air at the origin
  int songCount = 1;

  int64_t SlotAt(int64_t sinceOriginUs) const { return FloorDiv(sinceOriginUs, songUs); }
  int SongOfSlot(int64_t slot) const {
    return static_cast<int>(PositiveMod(firstSong + slot, songCount));
  }
  int SongAt(int64_t sinceOriginUs) const { return SongOfSlot(SlotAt(sinceOriginUs)); }
  int64_t SlotStartUs(int64_t slot) const { return slot * songUs; }
};

}  // namespace station
