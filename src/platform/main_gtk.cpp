// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry on GTK: wires the real edges (the GTK shell, HttpGet,
// the clock, the background workers, the audio library beside the
// executable) to the player and runs it.
#include <cstdio>

#include "app/background.h"
#include "app/player_state.h"
#include "app/startup.h"
#include "audio/audio_library.h"
#include "nowplaying/http_get.h"
#include "os/os.h"
#include "platform/command_line.h"
#include "platform/gtk_shell.h"
#include "platform/one_instance.h"
#include "platform/termination.h"

int main(int argc, char** argv) {
  // --version, --help or a refused option: answered before anything is set up.
  if (const auto exitCode = AnswerCommandLine(argc, argv)) return *exitCode;
  // A player already runs on this display: it comes to the front instead.
  if (!ClaimTheOnlyPlayer()) return 0;
  InstallTerminationHandlers();
  // Before any other thread exists: the HTTP library's set-up is not thread-safe.
  InitHttp();
  if (!InitToolkit()) {
    std::fputs("orvelle-player: cannot open the display\n", stderr);
    return 0;
  }
  Background background(WakeForResults);
  Player player;
  player.config = BuiltInConfig();
  player.shell = MakeGtkShell(player);
  player.background = &background;
  // The same clock for the poll's budgets and the fetches that keep them; no
  // waiting out a stalled server on the way out.
  player.clockMs = MonotonicMs;
  player.httpGet = BoundedHttpGet(MonotonicMs, background.Cancel());
  const std::string dir = ExecutableDir();
  const int code = RunPlayer(player, [&dir](AudioLibrary& library) { return LoadAudioLibrary(library, dir); });
  EndProcessIfBusy(background, code);
  CleanUpHttp();
  return code;
}
