// SPDX-License-Identifier: GPL-3.0-or-later
// The running player: the model (model/player_model.h) with the edges it
// reaches the world through, and the app's own bookkeeping. Passed to what
// needs the edges; what only reads or writes one group of the model takes
// that group.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/played_songs_state.h"
#include "app/shell.h"
#include "app/station_config.h"
#include "audio/audio_api.h"
#include "display/surface.h"
#include "display/view_caches.h"
#include "model/player_model.h"
#include "nowplaying/http_get.h"
#include "text/text.h"

class Background;

// The 32-bit monotonic millisecond clock.
using ClockFn = std::function<uint32_t()>;

// Written by the app's way in (app/events.cpp) and by start-up
// (app/startup.cpp) alone; the shells only read them.
struct HandlerState {
  bool handlingEvent = false;  // a handler runs: events that arrive meanwhile are dropped
  bool quitPending = false;    // the listener asked to quit: the loop ends once no handler runs
  bool looping = false;        // the shell's event loop runs
  bool windowHidden = false;   // the player window cannot be seen (minimized, hidden): no frame is drawn
  unsigned changes = 0;        // the Change bits (app/changes.h) marked since the last handler ended
};

// The model and its edges: everything the running player holds. It is the
// model extended, not a holder of one, so that the player is handed as it
// is to whatever only reads the model (the drawing takes a const PlayerModel&).
struct Player : PlayerModel {
  HandlerState handler;
  AudioLibrary audioLibrary;       // the loaded library; its table is the only way to it
  Surface* mainSurface = nullptr;  // surface 1, owned by the player window
  MainViewCaches viewCaches;

  PlayedSongsState playedSongs;  // app/played_songs.h

  // Edges.
  StationConfig config;
  Shell shell;
  HttpGetFn httpGet;  // called on the worker only
  ClockFn clockMs;    // read on the window's thread and on the worker
  std::function<int64_t()> wallClockS;  // Unix seconds; none: the system's
  Background* background = nullptr;  // none: jobs run at once, on the window's thread
};

// Resets the model's state to its start-up values and forgets the audio
// library; the fonts, the layout and the edges are kept.
void InitPlayerState(Player& player);

// Marks what the handler under way changed (app/changes.h).
inline void MarkChanged(Player& player, unsigned changes) { player.handler.changes |= changes; }

// Shorthand for the loaded audio library's function table.
inline const AudioApi& Bass(const Player& player) { return player.audioLibrary.api; }
