// A Shell that opens a headless surface instead of a window and runs a
// scripted "event loop", recording what the player asked of it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/player_state.h"
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
    player.mainSurface = CreateSurface(800, 300);
    return true;
  };
  shell.showFirstFrame = [&log](Player& player) {
    log.order.push_back("shown");
    cairo_surface_t* pixels = player.mainSurface->pixels;
    cairo_surface_flush(pixels);
    const uint8_t* row = cairo_image_surface_get_data(pixels) + 143 * cairo_image_surface_get_stride(pixels);
    log.shownCoverPixel = reinterpret_cast<const uint32_t*>(row)[143] & 0xFFFFFF;
  };
  shell.startTimers = [&log](Player&) {
    ++log.timersStarted;
    log.order.push_back("timers");
  };
  shell.runEventLoop = [&log, loop](Player& player) {
    log.order.push_back("loop");
    if (loop) loop(player);
  };
  shell.openAboutWindow = [&log](Player&) { ++log.aboutOpened; };
  shell.openWebPage = [&log](const std::string& url) { log.webPages.push_back(url); };
  shell.closeWindows = [](Player& player) { DestroySurface(player.mainSurface); };
  return shell;
}
