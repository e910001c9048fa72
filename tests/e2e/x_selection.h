// Two things a person does through the window manager or the mouse that
// xdotool cannot: the close box of a window (no window manager runs on the
// private X server) and reading back text they selected.
#pragma once

#include <chrono>
#include <optional>
#include <string>

// Asks the window to close, as a window manager does when its close box is clicked.
bool RequestClose(const std::string& display, const std::string& windowId);
// The text of the PRIMARY selection (what is highlighted), or nothing.
std::optional<std::string> PrimarySelection(const std::string& display, std::chrono::milliseconds timeout);
