// SPDX-License-Identifier: GPL-3.0-or-later
// What the player needs of the window toolkit: the contract each shell
// fills (platform/gtk_shell.cpp, platform/win32_shell.cpp; a recording fake
// in the tests). Every entry is called on the window's thread, by the app
// alone. A REQUIRED entry must be set; an OPTIONAL one may be left empty,
// and the player then does what its comment says. What a shell builds, it
// builds from the window description (app/window_description.h); what it
// delivers, it delivers through the app's way in (app/events.h).
//
//   entry              GTK  Win32
//   showMessageBox      x    x    required
//   closeMessageBox     x    x    optional
//   openPlayerWindow    x    x    required
//   showFirstFrame      x    x    optional
//   startTimers         x    x    required
//   runEventLoop        x    x    required
//   leaveEventLoop      x    x    required
//   openSideWindow      x    x    optional
//   openPlayedSongs     x    x    optional
//   copyText            x    x    optional
//   openWebPage         x    x    optional
//   notifyChanged       x    -    optional
//   closeWindows        x    x    required
#pragma once

#include <functional>
#include <string>

#include "text/text.h"

struct Player;
struct SideWindow;
struct Surface;

struct Shell {
  // REQUIRED. A modal box with one OK button; returns once it is closed.
  // Events that come meanwhile are delivered as usual, and dropped.
  std::function<void(const Text& title, const Text& message)> showMessageBox;
  // OPTIONAL. Closes the box being shown, if any, as its OK would. Missing:
  // a quit asked while a box is open waits until the listener closes it.
  std::function<void()> closeMessageBox;
  // REQUIRED. Opens the player window (kPlayerWindow) with the menu bar
  // (kPlayerMenuBar) and the shortcuts (kShortcuts), and sets the player's
  // mainSurface to its surface. False when the window cannot be opened; a
  // menu bar that cannot be made is no failure: the window goes without.
  std::function<bool(Player&)> openPlayerWindow;
  // OPTIONAL. Lets the window appear with the frame drawn so far, before
  // the start-up poll; bounded, so that a display that never shows it cannot
  // hang start-up. Missing: the window appears once the loop runs.
  std::function<void(Player&)> showFirstFrame;
  // REQUIRED. The timers of kTimers, each delivered as a timer event.
  std::function<void(Player&)> startTimers;
  // REQUIRED. Waits for events and delivers them until leaveEventLoop.
  std::function<void(Player&)> runEventLoop;
  // REQUIRED. Has runEventLoop return; called while it runs and no handler does.
  std::function<void()> leaveEventLoop;
  // OPTIONAL. Opens a window beside the player window as `side` describes,
  // after closing the one of that description if it is open; returns its
  // surface, which the shell keeps until the window is closed (by the
  // listener, or closeWindows), or nullptr if it cannot be opened. Missing:
  // the menu items that open one do nothing.
  std::function<Surface*(const SideWindow& side)> openSideWindow;
  // OPTIONAL. Opens the played-songs window (kPlayedSongsWidth by
  // kPlayedSongsHeight, display/played_songs_view.h), titled "Titres
  // diffusés", or brings the open one to the front. Unlike a side window it
  // takes input: it hands its surface to OpenPlayedSongs, its clicks, wheel
  // and Ctrl+C to the app (ShellEvent::Kind::PlayedSongs), and closes on
  // Escape (ClosePlayedSongs; app/played_songs.h). Missing: its menu item
  // does nothing.
  std::function<void(Player&)> openPlayedSongs;
  // OPTIONAL. Puts `text` on the desktop's clipboard. Missing: nothing is copied.
  std::function<void(const Text& text)> copyText;
  // OPTIONAL. Hands `url` to the desktop's URL handler, without waiting.
  // Missing: the station's menu does nothing.
  std::function<void(const std::string& url)> openWebPage;
  // OPTIONAL. After each handler that changed what a listener sees, the
  // Change bits (app/changes.h) of what it changed; once with all of them
  // when the loop starts. Missing: nothing beyond the window hears of it.
  std::function<void(unsigned changes)> notifyChanged;
  // REQUIRED. The last call: closes what windows remain and frees the main
  // surface. Called whether or not the player window opened.
  std::function<void(Player&)> closeWindows;
};
