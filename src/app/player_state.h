// The one player state, passed explicitly to every operation. It lives for
// the whole run and is touched only by the user-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/layout.h"
#include "app/text.h"
#include "audio/audio_api.h"
#include "display/image.h"
#include "display/surface.h"

// Addresses the player uses. The program fills them from its built-in
// constants; tests point them at servers on 127.0.0.1.
struct StationConfig {
  std::string streamUrl;
  std::string stationSiteUrl;
  std::string podcastUrl;
  std::string top30Url;
  std::string forumUrl;
  std::string itunesBase;  // scheme://host[:port] of the first cover search service
  std::string deezerBase;  // scheme://host[:port] of the second one
};

struct Fonts {
  Font fontSmall = nullptr;      // 10 pt
  Font fontLabel = nullptr;      // 12 pt
  Font fontAbout = nullptr;      // 10 pt
  Font fontArtist = nullptr;     // 12 pt
  Font fontTitle = nullptr;      // 18 pt
  Font fontStopGlyph = nullptr;  // 22 pt
  Font fontPlayGlyph = nullptr;  // 26 pt
};

struct Player;

// What the player needs from the window toolkit. The GTK shell fills it in;
// tests put recording fakes here.
struct Shell {
  std::function<void(const Text& title, const Text& message)> showMessageBox;
  std::function<bool(Player&)> openPlayerWindow;  // window 0 with its menu, shortcut and surface 1
  // Lets the window appear with the frame drawn so far, before the start-up
  // poll blocks; bounded, so that a display that never shows it cannot hang start-up.
  std::function<void(Player&)> showFirstFrame;
  std::function<void(Player&)> startTimers;       // timer 10 (10 s) and timer 11 (80 ms)
  std::function<void(Player&)> runEventLoop;      // returns when the user quits
  std::function<void(Player&)> openAboutWindow;   // window 2, replacing an open one
  std::function<void(const std::string& url)> openWebPage;
  std::function<void(Player&)> closeWindows;      // destroys what windows remain
};

// The network seam: one blocking GET, the body or nothing on a failed transfer.
using HttpGetFn = std::function<std::optional<std::string>(const std::string& url)>;
// The 32-bit monotonic millisecond clock.
using ClockFn = std::function<uint32_t()>;

struct Player {
  // Now-playing record.
  Text currentSong;
  Text coverSong;
  int32_t lastCoverAttemptMs = 0;
  int32_t coverFailCount = 0;
  Image coverImage = nullptr;
  Image coverScaled = nullptr;

  // Playback.
  AudioLibrary audioLibrary;
  HSTREAM streamHandle = 0;
  float volume = 0.8f;
  Text serverBase;

  // Visualizer.
  int32_t visualizerMode = 1;
  std::array<float, 512> spectrum{};
  std::array<float, 128> peakLevels{};
  float peakFall = 0.02f;
  float pulsePhase = 0.0f;

  // User interface.
  int32_t volumeDragging = 0;
  bool handlingEvent = false;  // a handler runs: events that arrive meanwhile are dropped (DeliverEvent)
  Image logoImage = nullptr;
  Fonts fonts;
  Layout layout;
  Surface* mainSurface = nullptr;  // surface 1, owned by the player window

  // Edges.
  StationConfig config;
  Shell shell;
  HttpGetFn httpGet;
  ClockFn clockMs;
};

// Resets every state variable to its start-up value (edges are kept).
void InitPlayerState(Player& player);

// The built-in addresses.
StationConfig BuiltInConfig();

// Shorthand for the loaded audio library's function table.
inline const AudioApi& Bass(const Player& player) { return player.audioLibrary.api; }
