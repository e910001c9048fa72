// SPDX-License-Identifier: GPL-3.0-or-later
// Control of the one live stream: open, play, stop, volume, live test.
#pragma once

#include "app/player_state.h"

// Opens the stream if there is none (does not start it). A failure is shown
// to the user with the library's error code.
void OpenStream(Player& player);
// Opens the stream if needed, plays it, and polls the now-playing text once.
void StartPlayback(Player& player);
// Stops and frees the stream, if any. Title, cover and volume stay.
void StopPlayback(Player& player);
// Stores the volume (already in 0..1) and applies it to an open stream.
void SetVolume(Player& player, float volume);
// True while the stream is playing or paused; stalled, stopped or absent is not live.
bool IsStreamLive(const Player& player);

// "Impossible d'ouvrir le flux (code N)".
Text StreamOpenErrorText(int code);
