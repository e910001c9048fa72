// SPDX-License-Identifier: GPL-3.0-or-later
// The GTK 3 window shell. This folder is the only one that sees GTK; the
// rest of the player talks to it through the Shell function table.
#pragma once

#include "app/player_state.h"

// Initialises the toolkit without reading the command line, and has its loop
// watch for termination requests (after InstallTerminationHandlers). False
// when no display can be opened.
bool InitToolkit();

// A Shell whose operations are GTK windows, menus, timers and dialogs, for
// `player`, which the toolkit's signals are delivered to from now on.
Shell MakeGtkShell(Player& player);

// Has the window's thread apply the background work's results soon
// (ApplyBackgroundResults). Any thread: the player's workers call it.
void WakeForResults();
