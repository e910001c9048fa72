// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 window shell. With the GTK shell, this folder is the only one
// that sees a window toolkit; the rest of the player talks to it through
// the Shell function table.
#pragma once

#include <windows.h>

#include "app/player_state.h"

// The player window's class: a later start of the player finds the window by it.
inline constexpr wchar_t kPlayerWindowClass[] = L"OrvellePlayerWindow";

// Registers the window classes of the player window and the windows beside it, with the
// program's icon from the executable's resources. False if that fails.
bool InitWin32Shell(HINSTANCE instance);

// A Shell whose operations are Win32 windows, menus, timers and message
// boxes, for `player`, which the windows' messages are delivered to from now on.
Shell MakeWin32Shell(Player& player);

// Has the window's thread apply the background work's results soon
// (ApplyBackgroundResults). Any thread: the player's workers call it.
void WakeForResults();
