// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/events.h"

#include <optional>

#include "app/background.h"
#include "app/frame.h"
#include "app/listener_changes.h"
#include "app/poll.h"
#include "display/visualizer.h"

namespace {

bool Inside(const Box& box, float px, float py, float margin_x = 0, float margin_y = 0) {
  return box.x - margin_x <= px && px <= box.x + box.width + margin_x && box.y - margin_y <= py &&
         py <= box.y + box.height + margin_y;
}

// The volume area reaches 10 pixels beyond the track's ends and 12 above and below it.
constexpr float kVolumeGrabX = 10;
constexpr float kVolumeGrabY = 12;

}  // namespace

namespace {

// The command of a menu event number, or nothing for a number without one.
std::optional<Command> MenuCommand(int event) {
  using Kind = Command::Kind;
  switch (event) {
    case kMenuQuit: return Command{Kind::Quit};
    case kMenuSite: return Command{Kind::OpenStationPage, 0, 0.0f, StationPage::Site};
    case kMenuPodcast: return Command{Kind::OpenStationPage, 0, 0.0f, StationPage::Podcast};
    case kMenuTop30: return Command{Kind::OpenStationPage, 0, 0.0f, StationPage::Top30};
    case kMenuForum: return Command{Kind::OpenStationPage, 0, 0.0f, StationPage::Forum};
    case kMenuAbout: return Command{Kind::ShowAbout};
    case kMenuNextVisualizer: return Command{Kind::NextVisualizer};
    case kMenuPlayedSongs: return Command{Kind::ShowPlayedSongs};
    case kMenuCopySong: return Command{Kind::CopySong};
    default: break;
  }
  if (event >= kMenuVisualizerFirst && event < kMenuVisualizerFirst + kVisualizerModeCount) {
    return Command{Kind::SelectVisualizer, event - kMenuVisualizerFirst};
  }
  return std::nullopt;
}

}  // namespace

Dispatch HandleMenuEvent(Player& player, int event) {
  const std::optional<Command> command = MenuCommand(event);
  return command ? RunCommand(player, *command) : Dispatch::Continue;
}

void HandleTimer(Player& player, int timer) {
  if (timer == kTimerNowPlaying) {
    PollNowPlaying(player);
  } else if (timer == kTimerAnimation) {
    StepAnimation(player);
    RenderMainView(player);
    StepPlayedSongs(player);
  }
}

namespace {

// One handler at a time, and a word to the shell about what it changed.
void RunGuarded(Player& player, const std::function<void(Player&)>& handler) {
  player.handlingEvent = true;
  RunHandler(player, handler);
  player.handlingEvent = false;
}

}  // namespace

void ApplyBackgroundResults(Player& player) {
  // Inside a handler (a message box's own loop) nothing is taken: it waits.
  if (player.background == nullptr || player.handlingEvent) return;
  // Again until none is left: what came while one opened a message box too.
  for (std::vector<Apply> results; !(results = player.background->TakeResults()).empty();) {
    for (Apply& apply : results) RunGuarded(player, apply);
  }
}

Dispatch DeliverEvent(Player& player, const ShellEvent& event) {
  if (player.handlingEvent) return Dispatch::Continue;
  Dispatch result = Dispatch::Continue;
  RunGuarded(player, [&event, &result](Player& p) {
    switch (event.kind) {
      case ShellEvent::Kind::Menu:
        result = HandleMenuEvent(p, event.number);
        break;
      case ShellEvent::Kind::Timer:
        HandleTimer(p, event.number);
        break;
      case ShellEvent::Kind::Surface:
        HandleSurfaceEvent(p, event.pointer);
        break;
      case ShellEvent::Kind::Command:
        result = RunCommand(p, event.command);
        break;
      case ShellEvent::Kind::PlayedSongs:
        HandlePlayedSongsInput(p, event.played);
        break;
    }
  });
  return result;
}

void HandleSurfaceEvent(Player& player, const SurfaceEvent& event) {
  const float px = float(event.px), py = float(event.py);
  const Layout& layout = player.layout;
  switch (event.kind) {
    case PointerKind::LeftPress:
      if (Inside(layout.playButtonBox, px, py)) RunCommand(player, {Command::Kind::Play});
      if (Inside(layout.stopButtonBox, px, py)) RunCommand(player, {Command::Kind::Stop});
      if (Inside(layout.volumeTrackBox, px, py, kVolumeGrabX, kVolumeGrabY)) {
        player.volumeDragging = 1;  // the press itself does not change the volume
      }
      break;
    case PointerKind::LeftRelease:
      player.volumeDragging = 0;
      break;
    case PointerKind::Move:
      if (player.volumeDragging != 0) {
        const Box& track = layout.volumeTrackBox;
        RunCommand(player, {Command::Kind::SetVolume, 0, (px - track.x) / track.width});
      }
      break;
    case PointerKind::Other:
      break;
  }
}
