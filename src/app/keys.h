// SPDX-License-Identifier: GPL-3.0-or-later
// The player window's keys, decided once for every toolkit: each shell
// names the key it got (its own codes stay in the shell), asks whether it
// means anything here and, when it does, delivers it (app/events.h). The
// V shortcut stays with the menu's shortcuts (app/window_description.h).
#pragma once

#include "app/player_state.h"

enum class Key { Other, Space, Enter, Tab, Up, Down, Left, Right, Plus, Minus, Q, PlayPause };

// The modifiers held with a key; the locks (Caps, Num) are not among them.
enum KeyModifier : unsigned {
  kShiftHeld = 1u << 0,
  kControlHeld = 1u << 1,
  kAltHeld = 1u << 2,
  kSuperHeld = 1u << 3,  // the logo key, Meta or Hyper
};

// What a key asks of the player.
enum class KeyMeaning {
  Nothing,        // not the player's: the toolkit may have it
  PlayOrStop,     // Space: the focused button, else play when OFF and stop when LIVE
  PressFocused,   // Enter: the focused button, if one is
  PlayPause,      // the media key: play when OFF, stop when LIVE
  VolumeUp,       // 5 % up
  VolumeDown,     // 5 % down
  FocusNext,      // Tab
  FocusPrevious,  // Shift+Tab
  Quit,           // Ctrl+Q, as "Quitter"
};

// Which keys mean what, with which modifiers: none at all, but for
// Shift+Tab, Ctrl+Q, and Shift with plus and minus, which many layouts
// need to type them. Any other modifier makes the key mean nothing.
KeyMeaning MeaningOfKey(Key key, unsigned modifiers);

// A key the shell got, with what it means. `repeat`: the toolkit's
// auto-repeat of a key held down; the volume and the focus move on with
// it, while play, stop and quit run once per press.
struct KeyStroke {
  KeyMeaning meaning = KeyMeaning::Nothing;
  bool repeat = false;
};

// Runs one key inside a handler (app/events.h).
void RunKey(Player& player, const KeyStroke& key);
