// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands.h"

#include <cmath>

#include "app/about_window.h"
#include "app/changes.h"
#include "app/playback.h"
#include "app/played_songs.h"
#include "app/window_description.h"
#include "display/visualizer.h"

namespace {

const std::string& PageUrl(const StationConfig& config, StationPage page) {
  switch (page) {
    case StationPage::Podcast: return config.podcastUrl;
    case StationPage::Top30: return config.top30Url;
    case StationPage::Forum: return config.forumUrl;
    case StationPage::Site: break;
  }
  return config.stationSiteUrl;
}

// Opens a window beside the player window and draws it once.
void OpenSideWindow(Player& player, const SideWindow& side) {
  if (!player.shell.openSideWindow) return;
  if (Surface* surface = player.shell.openSideWindow(side)) side.draw(player, *surface);
}

}  // namespace

Command PlayPauseCommand(bool live) { return {live ? Command::Kind::Stop : Command::Kind::Play}; }

float ClampUnit(float value) {
  if (std::isnan(value) || value < 0.0f) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return value;
}

void NextVisualizerMode(VisualizerState& visualizer) {
  const int32_t next = int32_t(visualizer.visualizerMode) + 1;
  visualizer.visualizerMode = VisualizerMode(next > kVisualizerModeCount - 1 ? 0 : next);
}

void RunCommand(Player& player, const Command& command) {
  using Kind = Command::Kind;
  switch (command.kind) {
    case Kind::Play:
      StartPlayback(player);
      MarkChanged(player, kFrameDue);
      break;
    case Kind::Stop:
      StopPlayback(player);
      MarkChanged(player, kFrameDue);
      break;
    case Kind::NextVisualizer:
      NextVisualizerMode(player.visualizer);
      MarkChanged(player, kFrameDue);
      break;
    case Kind::SelectVisualizer:
      if (FindVisualizerDrawing(command.mode) == nullptr) break;  // no such mode: nothing changes
      player.visualizer.visualizerMode = command.mode;
      MarkChanged(player, kFrameDue);
      break;
    case Kind::SetVolume:
      SetVolume(player, ClampUnit(command.volume));
      MarkChanged(player, kFrameDue);  // the knob follows at once
      break;
    case Kind::OpenStationPage:
      if (player.shell.openWebPage) player.shell.openWebPage(PageUrl(player.config, command.page));
      break;
    case Kind::ShowAbout:
      OpenSideWindow(player, kAboutSideWindow);
      break;
    case Kind::ShowPlayedSongs:
      if (player.shell.openPlayedSongs) player.shell.openPlayedSongs(player);
      break;
    case Kind::CopySong:
      if (const Text song = SongToCopy(player.song.currentSong); !song.empty() && player.shell.copyText) {
        player.shell.copyText(song);
      }
      break;
    case Kind::Quit:
      player.handler.quitPending = true;  // the loop ends once this handler has
      break;
  }
}
