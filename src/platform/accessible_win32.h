// SPDX-License-Identifier: GPL-3.0-or-later
// The main surface as assistive technologies meet it under Windows (MSAA):
// the client area's IAccessible says what the surface shows
// (app/screen_reader_text.h) and holds the window's three controls
// (app/controls.h) as its children 1 to 3, two push buttons whose default
// action presses them and a slider whose value is the volume in percent.
#pragma once

#include <windows.h>

#include <functional>

#include "app/commands.h"
#include "app/player_state.h"

struct AccessibleSeam {
  std::function<const Player*()> player;    // nullptr once it is gone
  std::function<void(const Command&)> run;  // as the media keys' commands run
};

// The answer to WM_GETOBJECT for the player window: the client area's
// object, or 0 for the objects the system answers for itself.
LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId, const AccessibleSeam& seam);

// After each handler: tells assistive technologies what the change bits
// (app/changes.h) changed of the client area and its controls.
void AccessibleFollow(HWND window, const Player& player, unsigned changes);

// The window goes: the object answers no more, even to a client that holds it.
void ReleaseAccessible();
