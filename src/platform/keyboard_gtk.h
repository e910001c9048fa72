// SPDX-License-Identifier: GPL-3.0-or-later
// The player window's keys under GTK: the drawing area takes the keyboard
// focus and hands each key the player means something by (app/keys.h) to
// `deliver`; every other key goes on to GTK (the menu bar's F10, the
// shortcuts, the window's own keys).
#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "app/keys.h"

void TakeKeys(GtkWidget* area, std::function<void(const KeyStroke&)> deliver);
