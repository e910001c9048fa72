// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's media controls: the player on the session bus as an MPRIS 2
// media player (through GDBus), so that media keys and the panel's media
// widget see what it plays and drive it like its buttons. Linux only.
#pragma once

#include <functional>

#include "app/commands.h"
#include "model/player_model.h"

struct MediaControlsHooks {
  // Whether a command would run now: not while the player is inside another
  // handler (a message box is open).
  std::function<bool()> canRun;
  // Runs a command through the shell's one guarded entry.
  std::function<void(const Command&)> runCommand;
  std::function<void()> raiseWindow;
  std::function<void()> quit;  // the same way out as the window's close box
};

// Asks for the bus name (org.mpris.MediaPlayer2.orvelle_player, or the same
// with .instance<pid> when another player has it) and serves the player
// from then on. Without a session bus nothing happens.
void StartMediaControls(const PlayerModel& player, MediaControlsHooks hooks);

// After each handler that changed what a listener sees (Change bits):
// publishes what changed, and only that.
void MediaControlsFollow(const PlayerModel& player, unsigned changes);

// Gives the name up, removes the published cover and sends what is still queued.
void StopMediaControls();
