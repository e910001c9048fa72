// SPDX-License-Identifier: GPL-3.0-or-later
// The one change path. Whatever changes the player's state marks what it
// changed, at the point where it changes it, and only when it really does;
// at the end of each handler (app/events.cpp) the frame is drawn when one is
// due, then the shell hears the rest once (Shell::notifyChanged): the
// desktop's media controls, the screen reader's text and keeping the session
// awake follow from these bits, and nobody compares a before with an after.
#pragma once

enum Change : unsigned {
  kSongChanged = 1u << 0,     // a new now-playing text
  kCoverChanged = 1u << 1,    // a new cover replaced the one shown
  kPlayingChanged = 1u << 2,  // the badge went LIVE or OFF
  kVolumeChanged = 1u << 3,
  kFrameDue = 1u << 4,        // the main view is drawn again at the end of the handler
  kFocusChanged = 1u << 5,    // the keyboard's focus moved to another control, or went
};

// What a listener outside the window sees of a change: all but the frame.
inline constexpr unsigned kListenerChanges =
    kSongChanged | kCoverChanged | kPlayingChanged | kVolumeChanged | kFocusChanged;
