#include "app/events.h"

#include <cmath>

#include "audio/playback.h"
#include "display/main_view.h"
#include "display/visualizer.h"
#include "nowplaying/poll.h"

namespace {

bool Inside(const Box& box, float px, float py, float margin_x = 0, float margin_y = 0) {
  return box.x - margin_x <= px && px <= box.x + box.width + margin_x && box.y - margin_y <= py &&
         py <= box.y + box.height + margin_y;
}

// The volume area reaches 10 pixels beyond the track's ends and 12 above and below it.
constexpr float kVolumeGrabX = 10;
constexpr float kVolumeGrabY = 12;

}  // namespace

float ClampUnit(float value) {
  if (std::isnan(value) || value < 0.0f) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return value;
}

void NextVisualizerMode(Player& player) {
  player.visualizerMode += 1;
  if (player.visualizerMode > 5) player.visualizerMode = 0;
}

void AdvancePulsePhase(Player& player) {
  player.pulsePhase = player.pulsePhase + 0.06f;
  if (player.pulsePhase > 1.0f) player.pulsePhase = 0.0f;
}

Dispatch HandleMenuEvent(Player& player, int event) {
  switch (event) {
    case kMenuQuit:
      return Dispatch::Quit;
    case kMenuSite:
      player.shell.openWebPage(player.config.stationSiteUrl);
      break;
    case kMenuPodcast:
      player.shell.openWebPage(player.config.podcastUrl);
      break;
    case kMenuTop30:
      player.shell.openWebPage(player.config.top30Url);
      break;
    case kMenuForum:
      player.shell.openWebPage(player.config.forumUrl);
      break;
    case kMenuAbout:
      player.shell.openAboutWindow(player);
      break;
    case kMenuNextVisualizer:
      NextVisualizerMode(player);
      RenderMainView(player);
      break;
    default:
      if (event >= kMenuVisualizerFirst && event <= kMenuVisualizerLast) {
        player.visualizerMode = event - kMenuVisualizerFirst;
        RenderMainView(player);
      }
      break;
  }
  return Dispatch::Continue;
}

void HandleTimer(Player& player, int timer) {
  if (timer == kTimerNowPlaying) {
    PollNowPlaying(player);
  } else if (timer == kTimerAnimation) {
    AdvancePulsePhase(player);
    FetchSpectrum(player);
    RenderMainView(player);
  }
}

Dispatch DeliverEvent(Player& player, const ShellEvent& event) {
  if (player.handlingEvent) return Dispatch::Continue;
  player.handlingEvent = true;
  Dispatch result = Dispatch::Continue;
  switch (event.kind) {
    case ShellEvent::Kind::Menu:
      result = HandleMenuEvent(player, event.number);
      break;
    case ShellEvent::Kind::Timer:
      HandleTimer(player, event.number);
      break;
    case ShellEvent::Kind::Surface:
      HandleSurfaceEvent(player, event.pointer);
      break;
  }
  player.handlingEvent = false;
  return result;
}

void HandleSurfaceEvent(Player& player, const SurfaceEvent& event) {
  const float px = float(event.px), py = float(event.py);
  const Layout& layout = player.layout;
  switch (event.kind) {
    case PointerKind::LeftPress:
      if (Inside(layout.playButtonBox, px, py)) {
        StartPlayback(player);
        RenderMainView(player);
      }
      if (Inside(layout.stopButtonBox, px, py)) {
        StopPlayback(player);
        RenderMainView(player);
      }
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
        SetVolume(player, ClampUnit((px - track.x) / track.width));
        RenderMainView(player);
      }
      break;
    case PointerKind::Other:
      break;
  }
}
