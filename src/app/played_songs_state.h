// SPDX-License-Identifier: GPL-3.0-or-later
// What the player keeps for the played-songs window: the history, open or
// not, and the window's own state while it is open. The window's thread's
// alone, like the rest of the player.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "display/surface.h"
#include "model/song_history.h"

// Names a row across merges: its air time and title.
struct PlayedSongKey {
  int64_t timeS = 0;
  Text title;

  bool operator==(const PlayedSongKey&) const = default;
};

struct PlayedSongsState {
  SongHistory history;            // from start-up on
  CoverAnswers covers;            // the station songs' looked-up covers
  std::vector<HistoryRow> rows;   // MergeHistory of `history`, kept up to date

  // The window, while open.
  Surface* surface = nullptr;  // owned by the shell's window; none: closed
  float scrollPx = 0;
  std::optional<PlayedSongKey> selected;
  std::optional<PlayedSongKey> copied;  // "Copié" shows on it
  uint32_t copiedAtMs = 0;
  bool redraw = false;  // what the window shows changed

  // The work in the background (app/background.h), one of each at a time.
  bool fetchRunning = false;
  std::optional<uint32_t> lastFetchMs;  // none: due as soon as the window is open
  bool lookupRunning = false;
};
