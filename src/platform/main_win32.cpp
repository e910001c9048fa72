// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry on Windows: wires the real edges (the Win32 shell,
// HttpGet on WinHTTP, the clock, the background workers, the audio library
// beside the executable) to the player and runs it.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/background.h"
#include "app/player_state.h"
#include "app/startup.h"
#include "audio/audio_library.h"
#include "nowplaying/http_get.h"
#include "os/os.h"
#include "platform/command_line.h"
#include "platform/one_instance.h"
#include "platform/win32_shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // --version, --help or a refused option: answered before anything is set up.
  if (const auto exitCode = AnswerCommandLine()) return *exitCode;
  // A player already runs in this session: it comes to the front instead.
  if (!ClaimTheOnlyPlayer()) return 0;
  // One apartment for this thread: the picture decoder and the shell's URL
  // handler are COM objects.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // The manifest asks for version 6 of the common controls (the message
  // boxes' look); this loads them.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  InitHttp();
  int code = 0;
  if (InitWin32Shell(instance)) {
    Background background(WakeForResults);
    Player player;
    player.config = BuiltInConfig();
    player.shell = MakeWin32Shell(player);
    player.background = &background;
    // The same clock for the poll's budgets and the fetches that keep them; no
    // waiting out a stalled server on the way out.
    player.clockMs = MonotonicMs;
    player.httpGet = BoundedHttpGet(MonotonicMs, background.Cancel());
    const std::string dir = ExecutableDir();
    code = RunPlayer(player, [&dir](AudioLibrary& library) { return LoadAudioLibrary(library, dir); });
    EndProcessIfBusy(background, code);
  }
  CleanUpHttp();
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}
