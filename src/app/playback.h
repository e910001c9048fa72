// SPDX-License-Identifier: GPL-3.0-or-later
// Control of the one live stream: open, play, stop, volume.
#pragma once

#include "app/player_state.h"

// Plays the stream, and polls the now-playing text once. Without a stream it
// is opened first, in the background (background.h): once the open ends the
// stream gets the volume, plays and the poll runs, or the failure is shown
// to the user with the library's error code. A press while the open is
// under way starts nothing more.
void StartPlayback(Player& player);
// Stops and frees the stream, if any; an open under way is withdrawn, and
// what it makes is closed when it ends. Title, cover and volume stay.
void StopPlayback(Player& player);
// Stores the volume (already in 0..1), marking a change of it, and applies
// it to an open stream.
void SetVolume(Player& player, float volume);

// "Impossible d'ouvrir le flux (code N)".
Text StreamOpenErrorText(int code);
