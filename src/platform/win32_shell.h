// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 window shell. With the GTK shell, this folder is the only one
// that sees a window toolkit; the rest of the player talks to it through
// the Shell function table.
#pragma once

#include <windows.h>

#include "app/player_state.h"

// Registers the window classes of the player and About windows, with the
// program's icon from the executable's resources. False if that fails.
bool InitWin32Shell(HINSTANCE instance);

// A Shell whose operations are Win32 windows, menus, timers and message boxes.
Shell MakeWin32Shell();

// True once the user or the system has asked the player to close: a close
// request handled, or one still waiting in the message queue while a
// handler blocks (a network transfer asks this to give up early).
// User-interface thread only.
bool QuitRequested();
