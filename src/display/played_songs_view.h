// SPDX-License-Identifier: GPL-3.0-or-later
// The painted face of the played-songs window: a list of rows, newest first,
// each with its cover thumbnail, its air time and "Artist – Title", in the
// About window's fonts and colours.
#pragma once

#include <optional>
#include <vector>

#include "display/surface.h"
#include "model/player_model.h"
#include "model/song_history.h"

constexpr int kPlayedSongsWidth = 520;
constexpr int kPlayedSongsHeight = 400;
constexpr int kPlayedSongRowHeight = 60;

// One row as it is drawn.
struct PlayedSongLine {
  Text time;                       // local "HH:MM"
  Text song;                       // the now-playing text as the station or the poll gave it
  const Picture* cover = nullptr;  // none: the placeholder
  bool selected = false;
  bool copied = false;  // "Copié" shows on it
};

struct PlayedSongsPicture {
  std::vector<PlayedSongLine> lines;  // newest first
  float scrollPx = 0;                 // how far the list is scrolled up
};

// Draws the whole window on `s`.
void DrawPlayedSongs(const Fonts& fonts, const PlayedSongsPicture& picture, Surface& s);

// How far the list of `rowCount` rows can scroll in a window of `heightPx`.
float MaxPlayedSongsScrollPx(size_t rowCount, int heightPx);

// The row at (x, y) of the window scrolled by `scrollPx`; none below the last.
std::optional<size_t> PlayedSongRowAt(size_t rowCount, float scrollPx, int y);

// The rows any part of which shows, as [first, end).
struct RowRange {
  size_t first = 0, end = 0;
};
RowRange ShownPlayedSongRows(size_t rowCount, float scrollPx, int heightPx);
