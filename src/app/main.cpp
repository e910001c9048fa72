// The program's entry: wires the real edges (GTK, libcurl, the clock, the
// audio library beside the executable) to the player and runs it.
#include <cstdio>

#include "app/player_state.h"
#include "app/startup.h"
#include "audio/audio_library.h"
#include "platform/gtk_shell.h"

int main() {
  if (!InitToolkit()) {
    std::fputs("orvelle-player: cannot open the display\n", stderr);
    return 0;
  }
  Player player;
  player.config = BuiltInConfig();
  player.shell = MakeGtkShell();
  const std::string dir = ExecutableDir();
  return RunPlayer(player, [&dir](AudioLibrary& library) { return LoadAudioLibrary(library, dir); });
}
