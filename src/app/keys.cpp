// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/keys.h"

#include "app/changes.h"
#include "app/commands.h"
#include "app/controls.h"

namespace {

struct KeyRule {
  Key key;
  KeyMeaning meaning;
  unsigned modifiers;  // the one set it asks for
  unsigned alsoShift;  // kShiftHeld where Shift may be held as well
};

constexpr KeyRule kKeyRules[] = {
    {Key::Space, KeyMeaning::PlayOrStop, 0, 0},
    {Key::Enter, KeyMeaning::PressFocused, 0, 0},
    {Key::PlayPause, KeyMeaning::PlayPause, 0, 0},
    {Key::Up, KeyMeaning::VolumeUp, 0, 0},
    {Key::Right, KeyMeaning::VolumeUp, 0, 0},
    {Key::Plus, KeyMeaning::VolumeUp, 0, kShiftHeld},
    {Key::Down, KeyMeaning::VolumeDown, 0, 0},
    {Key::Left, KeyMeaning::VolumeDown, 0, 0},
    {Key::Minus, KeyMeaning::VolumeDown, 0, kShiftHeld},
    {Key::Tab, KeyMeaning::FocusNext, 0, 0},
    {Key::Tab, KeyMeaning::FocusPrevious, kShiftHeld, 0},
    {Key::Q, KeyMeaning::Quit, kControlHeld, 0},
};

void StepVolumeBy(Player& player, int direction) {
  RunCommand(player, {Command::Kind::SetVolume, {}, StepVolume(player.playback.volume, direction)});
}

void MoveFocus(Player& player, bool backwards) {
  player.pointer.keyboardFocus = NextControl(player.pointer.keyboardFocus, backwards);
  MarkChanged(player, kFrameDue | kFocusChanged);
}

// A press of the focused button; false when no button has the focus.
bool PressFocusedButton(Player& player) {
  const Control focused = player.pointer.keyboardFocus;
  if (focused != Control::Play && focused != Control::Stop) return false;
  RunCommand(player, PressCommand(focused));
  return true;
}

}  // namespace

KeyMeaning MeaningOfKey(Key key, unsigned modifiers) {
  for (const KeyRule& rule : kKeyRules) {
    if (rule.key == key && (modifiers & ~rule.alsoShift) == rule.modifiers) return rule.meaning;
  }
  return KeyMeaning::Nothing;
}

void RunKey(Player& player, const KeyStroke& key) {
  switch (key.meaning) {
    case KeyMeaning::VolumeUp: return StepVolumeBy(player, +1);
    case KeyMeaning::VolumeDown: return StepVolumeBy(player, -1);
    case KeyMeaning::FocusNext: return MoveFocus(player, false);
    case KeyMeaning::FocusPrevious: return MoveFocus(player, true);
    default: break;
  }
  // A held key does not play, stop and play again, nor queue presses
  // behind an open that takes its time.
  if (key.repeat) return;
  switch (key.meaning) {
    case KeyMeaning::PlayOrStop:
      if (PressFocusedButton(player)) return;
      [[fallthrough]];
    case KeyMeaning::PlayPause:
      RunCommand(player, PlayPauseCommand(player.playback.streamLive));
      return;
    case KeyMeaning::PressFocused:
      PressFocusedButton(player);
      return;
    case KeyMeaning::Quit:
      RunCommand(player, {Command::Kind::Quit});
      return;
    default:
      return;
  }
}
