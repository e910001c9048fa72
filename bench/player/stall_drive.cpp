// SPDX-License-Identifier: GPL-3.0-or-later
// The player as its program runs it (the window shell, real transfers, the
// audio library beside the executable, the built-in addresses), with a probe
// on the window's thread: a 10 ms timer that notes how long the thread went
// without serving it, and when each frame was drawn. Presses play once after
// PLAY_S seconds (never when negative) and quits after SECONDS, then prints
//   stall_drive: longest stall N ms (at T s), E stalls over 50 ms, F frames, the latest L ms late, quit in Q ms;
//                start-up S ms
// where a stall is the time the thread went without serving the probe, and
// only those that end after the first 2 s count but in the last figure.
// Built for Linux (GTK) and Windows (Win32); bench/player/stall.sh runs it
// against the demo station in its fault modes.
//   stall_drive SECONDS [PLAY_S]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/events.h"
#include "app/player_state.h"
#include "app/startup.h"
#include "audio/audio_library.h"
#include "nowplaying/http_get.h"
#include "os/os.h"
#if __has_include("app/background.h")
#include "app/background.h"
#define STALL_DRIVE_BACKGROUND 1
#endif
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "platform/win32_shell.h"
#else
#include <gtk/gtk.h>
#include <signal.h>

#include "platform/gtk_shell.h"
#include "platform/termination.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kProbePeriodMs = 10;
constexpr double kFramePeriodMs = 80;
constexpr double kSlowEventMs = 50;
// Stalls over by then belong to start-up (fonts, window, first frame,
// the desktop's services): counted apart.
constexpr double kStartUpMs = 2000;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Probe {
  Player* player = nullptr;
  Clock::time_point start = Clock::now();
  double playAtMs = -1, quitAtMs = 0;
  double lastTickMs = -1, longestStallMs = 0, longestStallAtMs = 0, startUpStallMs = 0;
  int slowEvents = 0;
  float lastPhase = -1;
  double lastFrameMs = -1, latestFrameMs = 0;
  int frames = 0;
  double quitAskedMs = -1;

  void Tick() {
    const double now = MsSince(start);
    if (lastTickMs >= 0) {
      const double stall = now - lastTickMs - kProbePeriodMs;
      if (now < kStartUpMs) {
        startUpStallMs = std::max(startUpStallMs, stall);
      } else {
        if (stall > longestStallMs) {
          longestStallMs = stall;
          longestStallAtMs = lastTickMs;
        }
        if (stall > kSlowEventMs) ++slowEvents;
      }
    }
    lastTickMs = now;
    if (player->mainSurface != nullptr && player->visualizer.pulsePhase != lastPhase) {
      // Seen here up to a probe period late; the first frame counts from the second.
      if (lastFrameMs >= 0 && lastPhase >= 0) latestFrameMs = std::max(latestFrameMs, now - lastFrameMs - kFramePeriodMs);
      if (lastPhase >= 0) ++frames;
      lastPhase = player->visualizer.pulsePhase;
      lastFrameMs = now;
    }
    if (quitAskedMs < 0 && now >= quitAtMs) {
      quitAskedMs = now;
      AskToQuit();
    }
  }

  static void AskToQuit() {
#ifdef _WIN32
    if (HWND window = FindWindowW(L"OrvellePlayerWindow", nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
#else
    raise(SIGTERM);  // as the session does at logout
#endif
  }

  void Report() const {
    std::printf("stall_drive: longest stall %.0f ms (at %.1f s), %d stalls over %.0f ms, %d frames, the latest %.0f ms "
                "late, quit in %.0f ms; start-up %.0f ms\n",
                longestStallMs, longestStallAtMs / 1000, slowEvents, kSlowEventMs, frames, latestFrameMs,
                MsSince(start) - quitAskedMs, startUpStallMs);
    std::fflush(stdout);
  }
};

Probe probe;

// The press on play, from a timer of its own: the probe goes on ticking
// while it runs, in whatever loop a message box brings.
void PressPlay() {
  if (!probe.player->handler.handlingEvent) {
    DeliverEvent(*probe.player, {ShellEvent::Kind::Command, 0, {}, {Command::Kind::Play}});
  }
}

#ifdef _WIN32
void CALLBACK OnProbeTimer(HWND, UINT, UINT_PTR, DWORD) { probe.Tick(); }
void CALLBACK OnPlayTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  PressPlay();
}
#else
gboolean OnProbeTimer(gpointer) {
  probe.Tick();
  return G_SOURCE_CONTINUE;
}
gboolean OnPlayTimer(gpointer) {
  PressPlay();
  return G_SOURCE_REMOVE;
}
#endif

int RunWithProbe(Player& player) {
  probe.player = &player;
  player.config = BuiltInConfig();
  player.clockMs = MonotonicMs;
#ifdef _WIN32
  SetTimer(nullptr, 0, UINT(kProbePeriodMs), OnProbeTimer);
  if (probe.playAtMs >= 0) SetTimer(nullptr, 0, UINT(probe.playAtMs), OnPlayTimer);
#else
  g_timeout_add(guint(kProbePeriodMs), OnProbeTimer, nullptr);
  if (probe.playAtMs >= 0) g_timeout_add(guint(probe.playAtMs), OnPlayTimer, nullptr);
#endif
  const std::string dir = ExecutableDir();
  const int code = RunPlayer(player, [&dir](AudioLibrary& library) { return LoadAudioLibrary(library, dir); });
  probe.Report();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: stall_drive SECONDS [PLAY_S]\n");
    return 2;
  }
  probe.quitAtMs = std::atof(argv[1]) * 1000;
  if (argc == 3) probe.playAtMs = std::atof(argv[2]) * 1000;
#ifdef _WIN32
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  InitHttp();
  if (!InitWin32Shell(GetModuleHandleW(nullptr))) return 1;
  Player player;
  player.shell = MakeWin32Shell(player);
#else
  InstallTerminationHandlers();
  InitHttp();
  if (!InitToolkit()) return 1;
  Player player;
  player.shell = MakeGtkShell(player);
#endif
#ifdef STALL_DRIVE_BACKGROUND
  Background background(WakeForResults);
  player.background = &background;
  player.httpGet = BoundedHttpGet(MonotonicMs, background.Cancel());
  const int code = RunWithProbe(player);
  EndProcessIfBusy(background, code);
#else
#ifdef _WIN32
  player.httpGet = BoundedHttpGet(MonotonicMs, QuitRequested);
#else
  player.httpGet = BoundedHttpGet(MonotonicMs, TerminationRequested);
#endif
  const int code = RunWithProbe(player);
#endif
  CleanUpHttp();
  return code;
}
