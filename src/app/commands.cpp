// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands.h"

#include <cmath>

#include "app/frame.h"
#include "app/playback.h"
#include "app/played_songs.h"
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

}  // namespace

float ClampUnit(float value) {
  if (std::isnan(value) || value < 0.0f) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return value;
}

void NextVisualizerMode(Player& player) {
  player.visualizerMode += 1;
  if (player.visualizerMode > kVisualizerModeCount - 1) player.visualizerMode = 0;
}

Dispatch RunCommand(Player& player, const Command& command) {
  using Kind = Command::Kind;
  switch (command.kind) {
    case Kind::Play:
      StartPlayback(player);
      RenderMainView(player);
      break;
    case Kind::Stop:
      StopPlayback(player);
      RenderMainView(player);
      break;
    case Kind::NextVisualizer:
      NextVisualizerMode(player);
      RenderMainView(player);
      break;
    case Kind::SelectVisualizer:
      if (FindVisualizerMode(command.mode) == nullptr) break;  // no such mode: nothing changes
      player.visualizerMode = command.mode;
      RenderMainView(player);
      break;
    case Kind::SetVolume:
      SetVolume(player, ClampUnit(command.volume));
      RenderMainView(player);  // the knob follows at once
      break;
    case Kind::OpenStationPage:
      player.shell.openWebPage(PageUrl(player.config, command.page));
      break;
    case Kind::ShowAbout:
      player.shell.openAboutWindow(player);
      break;
    case Kind::ShowPlayedSongs:
      if (player.shell.openPlayedSongsWindow) player.shell.openPlayedSongsWindow(player);
      break;
    case Kind::CopySong:
      if (const Text song = SongToCopy(player.currentSong); !song.empty() && player.shell.copyText) {
        player.shell.copyText(song);
      }
      break;
    case Kind::Quit:
      return Dispatch::Quit;
  }
  return Dispatch::Continue;
}
