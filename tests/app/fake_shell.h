// SPDX-License-Identifier: GPL-3.0-or-later
// A Shell that opens a headless surface instead of a window and runs a
// scripted "event loop", recording what the player asked of it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/player_state.h"
#include "app/window_description.h"
#include "display/surface.h"

struct FakeShellLog {
  std::vector<std::pair<std::string, std::string>> messageBoxes;  // title, text (UTF-8)
  std::vector<std::string> webPages;
  int windowsOpened = 0;
  int aboutOpened = 0;
  int timersStarted = 0;
  // What start-up asked for, in order: "window", "shown", "timers", "loop".
  std::vector<std::string> order;
  uint32_t shownCoverPixel = 0;  // 0xRRGGBB at the middle of the cover box when the window was shown
};

// `loop` stands for the user's actions between start-up and quitting.
inline Shell MakeFakeShell(FakeShellLog& log, std::function<void(Player&)> loop = {}, bool windowOpens = true) {
  Shell shell;
  shell.showMessageBox = [&log](const Text& title, const Text& text) {
    log.messageBoxes.emplace_back(TextToUtf8(title), TextToUtf8(text));
  };
  shell.openPlayerWindow = [&log, windowOpens](Player& player) {
    if (!windowOpens) return false;
    ++log.windowsOpened;
    log.order.push_back("window");
    player.mainSurface = CreateSurface(kPlayerWindow.width, kPlayerWindow.height);
    return true;
  };
  shell.showFirstFrame = [&log](Player& player) {
    log.order.push_back("shown");
    const Box& cover = player.look.layout.coverBox;
    log.shownCoverPixel = SurfacePixel(*player.mainSurface, int(cover.x + cover.width / 2), int(cover.y + cover.height / 2));
  };
  shell.startTimers = [&log](Player&) {
    ++log.timersStarted;
    log.order.push_back("timers");
  };
  shell.runEventLoop = [&log, loop](Player& player) {
    log.order.push_back("loop");
    if (loop) loop(player);
  };
  shell.leaveEventLoop = [] {};
  shell.openSideWindow = [&log](const SideWindow&) -> Surface* {
    ++log.aboutOpened;
    return nullptr;
  };
  shell.openWebPage = [&log](const std::string& url) { log.webPages.push_back(url); };
  shell.closeWindows = [](Player& player) { DestroySurface(player.mainSurface); };
  return shell;
}
