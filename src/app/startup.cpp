// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "app/background.h"
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
  FreeImage(player.coverScaled);
  FreeImage(player.coverImage);
  const AudioApi& bass = Bass(player);
  if (player.streamHandle != 0) {
    StopAndFreeStream(bass, player.streamHandle);
    player.streamHandle = 0;
  }
  // An open still under way fails once the library is freed (the library
  // sees to that), but it runs inside the library: then it stays loaded.
  if (bass.BASS_Free != nullptr) bass.BASS_Free();
  if (backgroundEnded) {
    UnloadAudioLibrary(player.audioLibrary);
  } else {
    LogDiagnostic("quitting while the stream still opens: the audio library stays loaded");
  }
  FreeImage(player.logoImage);
}

int RunPlayer(Player& player, const std::function<bool(AudioLibrary&)>& loadLibrary) {
  InitPlayerState(player);

  if (!loadLibrary(player.audioLibrary)) {
    player.audioLibrary = AudioLibrary{};
    player.shell.showMessageBox(T("BASS manquant"), MissingLibraryText());
    return 0;
  }

  // Default output device, 44.1 kHz, no flags, no owner window, no class id.
  if (!Bass(player).BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    player.shell.showMessageBox(T("Erreur"), InitFailedText(Bass(player).BASS_ErrorGetCode()));
    // The library stays loaded on this path: the process is about to end.
    return 0;
  }

  player.serverBase = DeriveServerBase(T(player.config.streamUrl));
  LoadFonts(player.fonts);
  player.logoImage = DecodePng(kLogoPng, kLogoPngSize);
  if (player.logoImage == nullptr) LogDiagnostic("the embedded logo does not decode");

  const bool windowOpened = player.shell.openPlayerWindow(player);
  if (!windowOpened) LogDiagnostic("the player window cannot be opened");
  if (windowOpened) {
    ComputeLayout(player.layout, player.volume);
    RescaleCover(player);
    RenderMainView(player);
    // On screen before the poll starts.
    if (player.shell.showFirstFrame) player.shell.showFirstFrame(player);
    PollNowPlaying(player);
    player.shell.startTimers(player);
    player.shell.runEventLoop(player);
  }

  ShutDown(player);
  if (player.shell.closeWindows) player.shell.closeWindows(player);
  return 0;
}
