// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/keyboard_win32.h"

namespace {

Key KeyOf(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_SPACE: return Key::Space;
    case VK_RETURN: return Key::Enter;
    case VK_TAB: return Key::Tab;
    case VK_UP: return Key::Up;
    case VK_DOWN: return Key::Down;
    case VK_LEFT: return Key::Left;
    case VK_RIGHT: return Key::Right;
    case VK_ADD: case VK_OEM_PLUS: return Key::Plus;
    case VK_SUBTRACT: case VK_OEM_MINUS: return Key::Minus;
    case 'Q': return Key::Q;
    default: return Key::Other;
  }
}

bool Held(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

unsigned HeldModifiers() {
  unsigned held = 0;
  if (Held(VK_SHIFT)) held |= kShiftHeld;
  if (Held(VK_CONTROL)) held |= kControlHeld;
  if (Held(VK_MENU)) held |= kAltHeld;
  if (Held(VK_LWIN) || Held(VK_RWIN)) held |= kSuperHeld;
  return held;
}

}  // namespace

std::optional<KeyStroke> KeyFromMessage(WPARAM virtualKey, LPARAM flags) {
  const KeyMeaning meaning = MeaningOfKey(KeyOf(virtualKey), HeldModifiers());
  if (meaning == KeyMeaning::Nothing) return std::nullopt;
  // Bit 30: the key was already down, so this is the keyboard's auto-repeat.
  return KeyStroke{meaning, (flags & (LPARAM(1) << 30)) != 0};
}
