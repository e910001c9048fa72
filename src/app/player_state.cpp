// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/player_state.h"

void InitPlayerState(Player& player) {
  // The fonts and the layout have start-up steps of their own (LoadFonts,
  // ComputeLayout) and stay as those left them.
  player.song = {};
  player.playback = {};
  player.visualizer = {};
  player.pointer = {};
  player.look.logoImage = nullptr;
  player.handler = {};
  player.audioLibrary = AudioLibrary{};
  player.playedSongs = PlayedSongsState{};
}
