// SPDX-License-Identifier: GPL-3.0-or-later
// The app's way in, free of the toolkit: each shell translates what its
// toolkit reports into these calls, and tests call them directly. Every
// handler runs through here, one at a time; at its end the frame it asked
// for is drawn and the shell hears what changed (app/changes.h).
#pragma once

#include "app/commands.h"
#include "app/played_songs.h"
#include "app/player_state.h"
#include "app/window_description.h"

enum class PointerKind { LeftPress, LeftRelease, Move, Other };

struct SurfaceEvent {
  PointerKind kind;
  int px;  // whole pixels of the main surface
  int py;
};

// An event as the shell delivers it.
struct ShellEvent {
  enum class Kind { Menu, Timer, Surface, Command, PlayedSongs };
  Kind kind;
  int number = 0;          // menu event (from the menu bar or a shortcut) or timer
  SurfaceEvent pointer{};  // surface events
  Command command{};       // a command from outside the window (the desktop's media controls)
  PlayedSongsInput played{};  // the played-songs window's
};

// Handles one event, then applies the background work's results that wait,
// and ends the loop when a quit was asked. A handler may open a message box,
// whose nested loop goes on delivering events: those are dropped, so that a
// handler never runs inside another.
void DeliverEvent(Player& player, const ShellEvent& event);

// For what the background work hands back (app/background.h): applies every
// result waiting, each as a handler of its own. While another handler runs
// (a message box is open) nothing is applied and nothing is lost: it comes
// after that handler's event.
void ApplyBackgroundResults(Player& player);

// The shell says whether the player window can be seen. While it cannot
// (minimized, hidden), the ticks go on (the phase, the live flag and what
// the desktop hears of it) but nothing is drawn and no spectrum or samples
// are read; once it can, the frame is drawn at once. Taken even while a
// handler runs: then the next frame is the first one drawn.
void SetWindowShown(Player& player, bool shown);

// The one way out, however the listener asks (the menu, the close box, a
// termination signal, the desktop): a message box being shown is closed, and
// the loop ends as soon as no handler runs.
void RequestQuit(Player& player);

// Runs the shell's event loop until a quit is asked; returns at once when
// one was asked already.
void LoopUntilQuit(Player& player);

// Whether a command from outside the window would run now: the loop runs
// and no handler does.
bool AcceptsCommands(const Player& player);

// A message box, unless the listener is leaving: then nobody is to answer it.
void ShowMessage(Player& player, const Text& title, const Text& message);
