// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/events.h"

#include <functional>

#include "app/background.h"
#include "app/changes.h"
#include "app/frame.h"
#include "app/poll.h"

namespace {

bool Inside(const Box& box, float px, float py, float margin_x = 0, float margin_y = 0) {
  return box.x - margin_x <= px && px <= box.x + box.width + margin_x && box.y - margin_y <= py &&
         py <= box.y + box.height + margin_y;
}

// The volume area reaches 10 pixels beyond the track's ends and 12 above and below it.
constexpr float kVolumeGrabX = 10;
constexpr float kVolumeGrabY = 12;

void HandleTimer(Player& player, int timer) {
  if (timer == kTimerNowPlaying) {
    PollNowPlaying(player);
  } else if (timer == kTimerAnimation) {
    AdvancePulsePhase(player.visualizer);
    if (!player.handler.windowHidden) FetchSpectrum(Bass(player), player.playback, player.visualizer);
    MarkChanged(player, kFrameDue);
    StepPlayedSongs(player);
  }
}

void HandleSurfaceEvent(Player& player, const SurfaceEvent& event) {
  const float px = float(event.px), py = float(event.py);
  const Layout& layout = player.look.layout;
  switch (event.kind) {
    case PointerKind::LeftPress:
      if (Inside(layout.playButtonBox, px, py)) RunCommand(player, {Command::Kind::Play});
      if (Inside(layout.stopButtonBox, px, py)) RunCommand(player, {Command::Kind::Stop});
      if (Inside(layout.volumeTrackBox, px, py, kVolumeGrabX, kVolumeGrabY)) {
        player.pointer.volumeDragging = true;  // the press itself does not change the volume
      }
      break;
    case PointerKind::LeftRelease:
      player.pointer.volumeDragging = false;
      break;
    case PointerKind::Move:
      if (player.pointer.volumeDragging) {
        const Box& track = layout.volumeTrackBox;
        RunCommand(player, {Command::Kind::SetVolume, {}, (px - track.x) / track.width});
      }
      break;
    case PointerKind::Other:
      break;
  }
}

void Handle(Player& player, const ShellEvent& event) {
  switch (event.kind) {
    case ShellEvent::Kind::Menu:
      if (const Command* command = MenuCommand(event.number)) RunCommand(player, *command);
      break;
    case ShellEvent::Kind::Timer:
      HandleTimer(player, event.number);
      break;
    case ShellEvent::Kind::Surface:
      HandleSurfaceEvent(player, event.pointer);
      break;
    case ShellEvent::Kind::Command:
      RunCommand(player, event.command);
      break;
    case ShellEvent::Kind::PlayedSongs:
      HandlePlayedSongsInput(player, event.played);
      break;
  }
}

// Every handler: one at a time, then the frame it asked for, then one word
// to the shell about what a listener would see changed.
void RunHandler(Player& player, const std::function<void(Player&)>& handler) {
  player.handler.handlingEvent = true;
  handler(player);
  if (player.handler.changes & kFrameDue) {
    // Unseen, a frame is not worth drawing; what the desktop hears still follows the stream.
    if (player.handler.windowHidden) {
      FollowLiveFlag(player);
    } else {
      RenderMainView(player);
    }
  }
  const unsigned heard = player.handler.changes & kListenerChanges;
  player.handler.changes = 0;
  if (heard != 0 && player.shell.notifyChanged) player.shell.notifyChanged(heard);
  player.handler.handlingEvent = false;
}

void LeaveLoopIfAsked(Player& player) {
  const HandlerState& h = player.handler;
  if (h.quitPending && h.looping && !h.handlingEvent) player.shell.leaveEventLoop();
}

}  // namespace

void ApplyBackgroundResults(Player& player) {
  // Inside a handler (a message box's own loop) nothing is taken: it waits.
  if (player.background == nullptr || player.handler.handlingEvent) return;
  // Again until none is left: what came while one opened a message box too.
  for (std::vector<Apply> results; !(results = player.background->TakeResults()).empty();) {
    for (Apply& apply : results) RunHandler(player, apply);
  }
  LeaveLoopIfAsked(player);
}

void DeliverEvent(Player& player, const ShellEvent& event) {
  if (!player.handler.handlingEvent) RunHandler(player, [&event](Player& p) { Handle(p, event); });
  LeaveLoopIfAsked(player);
  ApplyBackgroundResults(player);
}

void SetWindowShown(Player& player, bool shown) {
  if (player.handler.windowHidden == !shown) return;
  player.handler.windowHidden = !shown;
  if (!shown || player.handler.handlingEvent) return;
  // The spectrum of now, not of when the window went away.
  RunHandler(player, [](Player& p) {
    FetchSpectrum(Bass(p), p.playback, p.visualizer);
    MarkChanged(p, kFrameDue);
  });
  LeaveLoopIfAsked(player);
}

void RequestQuit(Player& player) {
  player.handler.quitPending = true;
  if (player.shell.closeMessageBox) player.shell.closeMessageBox();
  LeaveLoopIfAsked(player);
}

void LoopUntilQuit(Player& player) {
  if (player.handler.quitPending) return;
  player.handler.looping = true;
  player.shell.runEventLoop(player);
  player.handler.looping = false;
}

bool AcceptsCommands(const Player& player) { return player.handler.looping && !player.handler.handlingEvent; }

void ShowMessage(Player& player, const Text& title, const Text& message) {
  if (!player.handler.quitPending) player.shell.showMessageBox(title, message);
}
