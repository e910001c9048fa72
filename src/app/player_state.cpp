// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/player_state.h"

void InitPlayerState(Player& player) {
  // The fonts and the layout have start-up steps of their own (LoadFonts,
  // ComputeLayout) and stay as those left them.
  Fonts fonts = std::move(player.fonts);
  const Layout layout = player.layout;
  static_cast<PlayerModel&>(player) = PlayerModel{};
  player.fonts = std::move(fonts);
  player.layout = layout;
  player.audioLibrary = AudioLibrary{};
  player.handlingEvent = false;
  player.pollRunning = player.streamOpening = player.openWithdrawn = false;
  player.playedSongs = PlayedSongsState{};
}
