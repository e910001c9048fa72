// SPDX-License-Identifier: GPL-3.0-or-later
// The main surface as assistive technologies meet it under GTK (ATK): the
// drawing area keeps its name and live description (app/screen_reader_text.h)
// and holds the window's three controls (app/controls.h) as children, two
// push buttons with a "press" action and a slider whose value is the
// volume in percent.
#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "app/commands.h"
#include "app/player_state.h"

struct AccessibleSeam {
  std::function<const Player*()> player;         // nullptr once it is gone
  std::function<void(const Command&)> run;       // as the desktop's commands run
};

// A drawing area whose accessible holds the controls.
GtkWidget* NewControlsArea(AccessibleSeam seam);

// After each handler: tells assistive technologies what the change bits
// (app/changes.h) changed of the controls' states and value.
void ControlsFollow(GtkWidget* area, unsigned changes);
