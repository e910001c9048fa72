// SPDX-License-Identifier: GPL-3.0-or-later
// The played-songs window's behaviour, free of the toolkit: the rows from the
// poll and the station's list, the fetches that keep them, and what the
// listener's pointer and keys do to it. The shell opens the window and its
// surface and hands its events here.
#pragma once

#include <cstdint>

#include "app/player_state.h"
#include "model/song_history.h"

// The station's played list is asked again this often while the window is open.
constexpr uint32_t kPlayedListIntervalMs = 60000;
// How long a copied row says so.
constexpr uint32_t kCopiedShownMs = 2000;
// One notch of the wheel scrolls this far.
constexpr float kWheelStepPx = 40;

// A row's thumbnail, made at the display's scale.
constexpr Box kThumbnailBox{0, 0, float(kThumbnailSize), float(kThumbnailSize)};

// What the poll and the cover update tell the history (window open or not).
void NoteSongOnAir(Player& player, const Text& title);
void NoteSongCover(Player& player, const Text& title, Thumbnail cover);

// The shell opened the window with `surface` (surface pixels
// kPlayedSongsWidth by kPlayedSongsHeight), or closed it.
void OpenPlayedSongs(Player& player, Surface* surface);
void ClosePlayedSongs(Player& player);

// On each animation tick, and after each input: starts the fetch of the
// station's list when due, the cover lookup of a shown row that needs one,
// ends a "Copié" that has shown long enough, and draws again what changed.
void StepPlayedSongs(Player& player);

// Draws the window whole, as it is now (also when the display's scale changed).
void DrawPlayedSongsWindow(Player& player);

// A listener's input on the window.
struct PlayedSongsInput {
  enum class Kind { Click, Scroll, CopySelected };
  Kind kind = Kind::Click;
  int x = 0, y = 0;      // a click, in surface pixels
  float notches = 0;     // a scroll: positive scrolls down, to older songs
};
void HandlePlayedSongsInput(Player& player, const PlayedSongsInput& input);

// The text a copy puts on the clipboard for a now-playing text: "Artist -
// Title", the one that is known alone, or the empty text when neither is.
Text SongToCopy(const Text& nowPlaying);

// The local "HH:MM" of a moment in Unix seconds ("--:--" when it cannot be told).
Text LocalClockText(int64_t unixSeconds);
