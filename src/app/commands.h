// SPDX-License-Identifier: GPL-3.0-or-later
// What a listener can ask of the player, whichever way they ask: the pointer
// on the buttons and the slider, the menus, the shortcuts and the desktop's
// media controls all come here.
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
  VisualizerMode mode = VisualizerMode::Line;
  float volume = 0.0f;
  StationPage page = StationPage::Site;
};

// Runs one command inside a handler (app/events.h): what it changes is
// marked (app/changes.h), and the commands the view shows at once ask for a
// frame. Quit asks the event loop to end.
void RunCommand(Player& player, const Command& command);

// What a play/pause key asks, whichever desktop sends it: there is nothing
// to pause in a live stream, so stop while live, play otherwise.
Command PlayPauseCommand(bool live);

// Steps the visualizer mode, wrapping from the last to the first.
void NextVisualizerMode(VisualizerState& visualizer);
// 0 below 0 or for NaN, 1 above 1, the value otherwise.
float ClampUnit(float value);
