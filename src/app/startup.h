// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>

#include "app/player_state.h"

// "La bibliothèque 'libbass.so' est introuvable. …" for this platform's file name.
Text MissingLibraryText();
// "BASS_Init a échoué (code N)".
Text InitFailedText(int code);

// The whole run, from the state's initial values to the last release; the
// shell, network seam, clock and configuration must be set beforehand.
// `loadLibrary` is the audio library loader (a seam so tests can use a fake).
// Returns the process exit code, which is always 0.
int RunPlayer(Player& player, const std::function<bool(AudioLibrary&)>& loadLibrary);

// How long shutdown waits for the background work to end once cancelled:
// a transfer ends at once, a picture being decoded within this.
constexpr std::chrono::milliseconds kBackgroundGraceMs{300};

// The releases of shutdown, in their fixed order, each guarded; first the
// background work is stopped. When it does not end in time (an open of the
// stream that cannot be cancelled) the audio library stays loaded, and the
// program must end without tearing down what the work may still use
// (EndProcessIfBusy).
void ShutDown(Player& player);
