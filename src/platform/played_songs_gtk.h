// SPDX-License-Identifier: GPL-3.0-or-later
// The played-songs window on GTK, and the clipboard: the GTK shell's side of
// app/played_songs.h.
#pragma once

#include <functional>

#include "app/events.h"

// Opens the window, or brings the open one to the front. Its pointer, wheel
// and keys go to `deliver` (the shell's guarded way in); Escape closes it.
void OpenPlayedSongsWindowGtk(Player& player, std::function<void(const ShellEvent&)> deliver);

// Closes the window if it is open (at shutdown).
void DestroyPlayedSongsWindowGtk(Player& player);

// Puts `text` on the desktop's clipboard (the one Ctrl+V pastes).
void CopyToClipboardGtk(const Text& text);
