// SPDX-License-Identifier: GPL-3.0-or-later
// What each event does to the player, free of the toolkit: the GTK shell
// translates its signals into these calls, and tests call them directly.
// Menu events and pointer presses become commands (app/commands.h).
#pragma once

#include "app/commands.h"
#include "app/played_songs.h"
#include "app/player_state.h"

// Menu event numbers.
enum MenuEvent : int {
  kMenuQuit = 100,
  kMenuSite = 110,
  kMenuPodcast = 111,
  kMenuTop30 = 112,
  kMenuForum = 113,
  kMenuAbout = 120,
  kMenuVisualizerFirst = 200,  // and on: one per visualizer mode, in the table's order
  kMenuNextVisualizer = 206,   // the V key
  // Beyond the numbers above, which stay as they are.
  kMenuPlayedSongs = 300,
  kMenuCopySong = 301,  // Ctrl+C on the player window
};

enum TimerId : int {
  kTimerNowPlaying = 10,  // every 10,000 ms
  kTimerAnimation = 11,   // every 80 ms
};
constexpr unsigned kNowPlayingIntervalMs = 10000;
constexpr unsigned kAnimationIntervalMs = 80;

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
  int number = 0;          // menu event or timer
  SurfaceEvent pointer{};  // surface events
  Command command{};       // a command from outside the window (the desktop's media controls)
  PlayedSongsInput played{};  // the played-songs window's
};

// The shell's one way in. A handler may open a message box, whose nested
// loop goes on delivering timer, pointer and menu events: those are dropped,
// so that a handler never runs inside another.
Dispatch DeliverEvent(Player& player, const ShellEvent& event);

// The shell's way in for what the background work hands back (background.h):
// applies every result waiting, each as a handler of its own. While another
// handler runs (a message box is open) nothing is applied and nothing is
// lost: the shell calls again after each handler.
void ApplyBackgroundResults(Player& player);

// Runs one menu event (from the menu bar or the shortcut).
Dispatch HandleMenuEvent(Player& player, int event);
// Runs one timer event.
void HandleTimer(Player& player, int timer);
// Handles one pointer event of the main surface.
void HandleSurfaceEvent(Player& player, const SurfaceEvent& event);

