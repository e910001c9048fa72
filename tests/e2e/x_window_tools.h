// SPDX-License-Identifier: GPL-3.0-or-later
// What xdotool and screenshots alone cannot give: the close box of a window
// (no window manager runs on the private X server) and the toolkit's own
// rendering of a message box, to hold the player's box against.
#pragma once

#include <string>

#include <cairo.h>

// Asks the window to close, as a window manager does when its close box is clicked.
bool RequestClose(const std::string& display, const std::string& windowId);
struct XSession;
// The message box that the window toolkit draws for `title` and `message`,
// shown on the session's display and captured, then closed; nullptr if it
// never showed. The caller destroys the picture. Nothing else may cover
// the middle of the screen meanwhile.
cairo_surface_t* ReferenceMessageBox(const XSession& session, const std::string& title, const std::string& message);
