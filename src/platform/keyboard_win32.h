// SPDX-License-Identifier: GPL-3.0-or-later
// The player window's keys under Win32: what a WM_KEYDOWN means to the
// player (app/keys.h), read with the modifiers held at the time. Nothing
// for the keys it leaves to the system. The media keys come as
// WM_APPCOMMAND instead, and V as the shortcut's WM_COMMAND.
#pragma once

#include <windows.h>

#include <optional>

#include "app/keys.h"

std::optional<KeyStroke> KeyFromMessage(WPARAM virtualKey, LPARAM flags);
