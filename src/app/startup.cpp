// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "app/background.h"
#include "app/changes.h"
#include "app/events.h"
#include "app/fonts.h"
#include "app/rescale_cover.h"
#include "audio/audio_library.h"
#include "audio/stream_control.h"
#include "cover/image_decode.h"
#include "app/frame.h"
#include "embedded.h"
#include "os/log.h"
#include "app/poll.h"
#include "nowplaying/server_base.h"

Text MissingLibraryText() {
  return T(std::string("La bibliothèque '") + kAudioLibraryFile +
           "' est introuvable. Place-la à côté de l'exécutable ou dans un chemin système.");
}

Text InitFailedText(int code) { return T("BASS_Init a échoué (code " + std::to_string(code) + ")"); }

void ShutDown(Player& player) {
  // Nothing is applied any more; transfers under way are cancelled.
  const bool backgroundEnded = player.background == nullptr || player.background->Stop(kBackgroundGraceMs);
  FreeImage(player.song.coverScaled);
  FreeImage(player.song.coverImage);
  const AudioApi& bass = Bass(player);
  if (player.playback.streamHandle != 0) {
    StopAndFreeStream(bass, player.playback.streamHandle);
    player.playback.streamHandle = 0;
  }
  // An open still under way fails once the library is freed (the library
  // sees to that), but it runs inside the library: then it stays loaded.
  if (bass.BASS_Free != nullptr) bass.BASS_Free();
  if (backgroundEnded) {
    UnloadAudioLibrary(player.audioLibrary);
  } else {
    LogDiagnostic("quitting while the stream still opens: the audio library stays loaded");
  }
  FreeImage(player.look.logoImage);
}

namespace {

// From the first frame to the end of the event loop.
void RunWindow(Player& player) {
  ComputeLayout(player.look.layout, player.playback.volume);
  RescaleCover(player.song, player.look.layout.coverBox);
  RenderMainView(player);
  if (player.shell.showFirstFrame) {
    // On screen before the poll starts. Start-up is still running: pointer
    // and menu events of these moments are dropped like those that come
    // while a handler runs.
    player.handler.handlingEvent = true;
    player.shell.showFirstFrame(player);
    player.handler.handlingEvent = false;
  }
  PollNowPlaying(player);
  player.shell.startTimers(player);
  // The desktop is told once what the window shows; from here on, of each change.
  if (player.shell.notifyChanged) player.shell.notifyChanged(kListenerChanges);
  player.handler.changes = 0;
  LoopUntilQuit(player);  // at once when asked to quit while starting
}

}  // namespace

int RunPlayer(Player& player, const std::function<bool(AudioLibrary&)>& loadLibrary) {
  InitPlayerState(player);

  if (!loadLibrary(player.audioLibrary)) {
    player.audioLibrary = AudioLibrary{};
    ShowMessage(player, T("BASS manquant"), MissingLibraryText());
    player.shell.closeWindows(player);
    return 0;
  }

  // Default output device, 44.1 kHz, no flags, no owner window, no class id.
  if (!Bass(player).BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    ShowMessage(player, T("Erreur"), InitFailedText(Bass(player).BASS_ErrorGetCode()));
    // The library stays loaded on this path: the process is about to end.
    player.shell.closeWindows(player);
    return 0;
  }

  player.playback.serverBase = DeriveServerBase(T(player.config.streamUrl));
  LoadFonts(player.look.fonts);
  player.look.logoImage = DecodePng(kLogoPng, kLogoPngSize);
  if (player.look.logoImage == nullptr) LogDiagnostic("the embedded logo does not decode");

  if (player.shell.openPlayerWindow(player)) {
    RunWindow(player);
  } else {
    LogDiagnostic("the player window cannot be opened");
  }

  ShutDown(player);
  player.shell.closeWindows(player);
  return 0;
}
