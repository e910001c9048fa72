// SPDX-License-Identifier: GPL-3.0-or-later
// What a listener can ask of the player, whichever way they ask: the pointer
// on the buttons and the slider, the menus and the V key all come here, and
// so will the desktop's media controls.
#pragma once

#include <cstdint>

#include "app/player_state.h"

enum class StationPage { Site, Podcast, Top30, Forum };

struct Command {
  enum class Kind {
    Play,              // open the stream if needed, play it, poll once
    Stop,              // stop and close the stream
    NextVisualizer,    // the next visualizer mode, wrapping to the first
    SelectVisualizer,  // the visualizer mode `mode`
    SetVolume,         // the volume `volume`, clamped to 0..1
    OpenStationPage,   // the station's web page `page`, in the browser
    ShowAbout,         // the About window, replacing an open one
    ShowPlayedSongs,   // the played-songs window, or the open one to the front
    CopySong,          // the song on air to the clipboard, as "Artist - Title"
    Quit,
  };
  Kind kind = Kind::Play;
  int32_t mode = 0;
  float volume = 0.0f;
  StationPage page = StationPage::Site;
};

enum class Dispatch { Continue, Quit };

// Runs one command, redrawing the main view after those that change it.
// Quit is only answered: the caller leaves its event loop.
Dispatch RunCommand(Player& player, const Command& command);

// Steps the visualizer mode, wrapping from the last to 0.
void NextVisualizerMode(Player& player);
// 0 below 0 or for NaN, 1 above 1, the value otherwise.
float ClampUnit(float value);
