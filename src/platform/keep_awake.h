// SPDX-License-Identifier: GPL-3.0-or-later
// No sleep while on air: asks the session not to suspend while the badge
// shows LIVE, through the desktop portal or, where none answers, the GNOME
// session manager. Every call is asynchronous and bounded: the player never
// waits for the session, and a session that cannot be asked is left alone.
#pragma once

#include <cstdint>
#include <string>

struct KeepAwakeWindow {
  std::string portalHandle;  // "x11:<hex>" on X11, "" elsewhere
  uint32_t x11Window = 0;    // for the session manager; 0 when not on X11
};

// Follows the badge: asks when it goes LIVE, lets go when it goes OFF.
void KeepAwakeWhile(bool onAir, const KeepAwakeWindow& window);

// At exit: lets go of what is held, before the connection closes.
void StopKeepingAwake();
