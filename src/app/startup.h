// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

// The releases of shutdown, in their fixed order, each guarded.
void ShutDown(Player& player);
