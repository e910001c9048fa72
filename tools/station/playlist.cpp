// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist.h"

namespace station {

const std::vector<Song>& DemoPlaylist() {
  using enum CoverService;
  using enum PictureFormat;
  static const std::vector<Song> songs = {
      {"Blue Sky", "Night Song", "Blue Sky", "Night Song", "track0.mp3",
       {Itunes, Jpeg, 600, 600, 200, 40, 40}},
      {"Les Ondes Vertes", "Carré Magique", "Les Ondes Vertes", "Carré Magique", "track1.mp3",
       {Itunes, Png, 1000, 1000, 40, 170, 60}},
      {"Red Moon feat. Ash", "Slow Tide (Radio Edit)", "Red Moon", "Slow Tide", "track2.mp3",
       {Deezer, Jpeg, 300, 200, 40, 80, 200}},
      {"Quatuor Zinc", "Square Dance [Live]", "Quatuor Zinc", "Square Dance", "track3.mp3",
       {Itunes, Png, 500, 500, 230, 200, 30}},
      {"Anonyme", "Silence Radio", "Anonyme", "Silence Radio", "track4.mp3", {}},
  };
  return songs;
}

std::string OnAirText(const Song& song) { return song.artist + " - " + song.title; }

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int64_t PositiveMod(int64_t a, int64_t b) {
  int64_t r = a % b;
  return r < 0 ? r + b : r;
}

}  // namespace station
