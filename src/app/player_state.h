// SPDX-License-Identifier: GPL-3.0-or-later
// The running player: the model (model/player_model.h) with the edges it
// reaches the world through. Passed explicitly to every operation that needs
// an edge; what only reads the model takes a PlayerModel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/played_songs_state.h"
#include "app/station_config.h"
#include "audio/audio_api.h"
#include "display/surface.h"
#include "display/view_caches.h"
#include "model/player_model.h"
#include "nowplaying/http_get.h"
#include "text/text.h"

struct Player;
class Background;

// What the player needs from the window toolkit. The GTK shell fills it in;
// tests put recording fakes here.
struct Shell {
  std::function<void(const Text& title, const Text& message)> showMessageBox;
  std::function<bool(Player&)> openPlayerWindow;  // window 0 with its menu, shortcut and surface 1
  // Lets the window appear with the frame drawn so far, before the start-up
  // poll; bounded, so that a display that never shows it cannot hang start-up.
  std::function<void(Player&)> showFirstFrame;
  std::function<void(Player&)> startTimers;       // timer 10 (10 s) and timer 11 (80 ms)
  std::function<void(Player&)> runEventLoop;      // returns when the user quits
  std::function<void(Player&)> openAboutWindow;   // window 2, replacing an open one
  // The played-songs window, or the open one brought to the front; it
  // hands its surface to OpenPlayedSongs (app/played_songs.h).
  std::function<void(Player&)> openPlayedSongsWindow;
  std::function<void(const Text& text)> copyText;  // to the clipboard
  std::function<void(const std::string& url)> openWebPage;
  std::function<void(Player&)> closeWindows;      // destroys what windows remain
  // After a handler that changed what a listener sees: ListenerChange bits
  // (app/listener_changes.h). May be left empty.
  std::function<void(unsigned changes)> notifyChanged;
};

// The 32-bit monotonic millisecond clock.
using ClockFn = std::function<uint32_t()>;

// The model and its edges: everything the running player holds. It is the
// model extended, not a holder of one, so that the model's variables read as
// the player's own (player.volume) and the player is handed as it is to
// whatever only reads the model (the drawing takes a const PlayerModel&).
struct Player : PlayerModel {
  AudioLibrary audioLibrary;       // the loaded library; its table is the only way to it
  Surface* mainSurface = nullptr;  // surface 1, owned by the player window
  MainViewCaches viewCaches;
  uint32_t coverSerial = 0;        // counts the cover's replacements, for the change notification
  bool handlingEvent = false;      // a handler runs: events that arrive meanwhile are dropped (DeliverEvent)

  // The work under way in the background (app/background.h).
  bool pollRunning = false;    // a poll, until its title and the cover update it started are applied
  bool streamOpening = false;  // an open of the stream, until its end is applied
  bool openWithdrawn = false;  // stop was pressed since: what the open makes is closed

  PlayedSongsState playedSongs;  // app/played_songs.h

  // Edges.
  StationConfig config;
  Shell shell;
  HttpGetFn httpGet;  // called on the worker only
  ClockFn clockMs;    // read on the window's thread and on the worker
  std::function<int64_t()> wallClockS;  // Unix seconds; none: the system's
  Background* background = nullptr;  // none: jobs run at once, on the window's thread
};

// Resets the model's state variables to their start-up values and forgets
// the audio library; the fonts, the layout and the edges are kept.
void InitPlayerState(Player& player);

// Shorthand for the loaded audio library's function table.
inline const AudioApi& Bass(const Player& player) { return player.audioLibrary.api; }
