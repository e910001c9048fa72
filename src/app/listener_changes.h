// SPDX-License-Identifier: GPL-3.0-or-later
// The one notification of the shell: after a handler, what changed of what
// a listener sees (the song, the cover, playing or not, the volume). Nothing
// in the player needs it; the desktop's media controls will.
#pragma once

#include <functional>

#include "app/player_state.h"

enum ListenerChange : unsigned {
  kSongChanged = 1u << 0,
  kCoverChanged = 1u << 1,
  kPlayingChanged = 1u << 2,  // the LIVE badge went on or off
  kVolumeChanged = 1u << 3,
};

// Runs one event handler of the shell and, when it changed what a listener
// sees, calls shell.notifyChanged once with the ListenerChange bits.
void RunHandler(Player& player, const std::function<void(Player&)>& handler);
