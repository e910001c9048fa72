// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/keyboard_gtk.h"

#include <utility>

namespace {

struct KeyboardState {
  std::function<void(const KeyStroke&)> deliver;
  guint16 heldKeycode = 0;  // the key down and not yet released: its next press is a repeat
};

KeyboardState keyboard;

Key KeyOf(guint keyval) {
  switch (keyval) {
    case GDK_KEY_space: case GDK_KEY_KP_Space: return Key::Space;
    case GDK_KEY_Return: case GDK_KEY_KP_Enter: case GDK_KEY_ISO_Enter: return Key::Enter;
    case GDK_KEY_Tab: case GDK_KEY_KP_Tab: case GDK_KEY_ISO_Left_Tab: return Key::Tab;
    case GDK_KEY_Up: case GDK_KEY_KP_Up: return Key::Up;
    case GDK_KEY_Down: case GDK_KEY_KP_Down: return Key::Down;
    case GDK_KEY_Left: case GDK_KEY_KP_Left: return Key::Left;
    case GDK_KEY_Right: case GDK_KEY_KP_Right: return Key::Right;
    case GDK_KEY_plus: case GDK_KEY_KP_Add: return Key::Plus;
    case GDK_KEY_minus: case GDK_KEY_KP_Subtract: return Key::Minus;
    case GDK_KEY_q: case GDK_KEY_Q: return Key::Q;
    case GDK_KEY_AudioPlay: case GDK_KEY_AudioPause: return Key::PlayPause;
    default: return Key::Other;
  }
}

unsigned ModifiersOf(guint state) {
  unsigned held = 0;
  if (state & GDK_SHIFT_MASK) held |= kShiftHeld;
  if (state & GDK_CONTROL_MASK) held |= kControlHeld;
  if (state & GDK_MOD1_MASK) held |= kAltHeld;
  if (state & (GDK_SUPER_MASK | GDK_HYPER_MASK | GDK_META_MASK | GDK_MOD4_MASK)) held |= kSuperHeld;
  return held;
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* e, gpointer) {
  // GDK asks X for detectable auto-repeat: a held key comes as presses with no release between.
  const bool repeat = e->hardware_keycode == keyboard.heldKeycode;
  keyboard.heldKeycode = e->hardware_keycode;
  const KeyMeaning meaning = MeaningOfKey(KeyOf(e->keyval), ModifiersOf(e->state));
  if (meaning == KeyMeaning::Nothing) return FALSE;
  if (keyboard.deliver) keyboard.deliver({meaning, repeat});
  return TRUE;
}

gboolean OnKeyRelease(GtkWidget*, GdkEventKey* e, gpointer) {
  if (e->hardware_keycode == keyboard.heldKeycode) keyboard.heldKeycode = 0;
  return FALSE;
}

// Another window took the keys: a key held meanwhile is pressed anew when they come back.
gboolean OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer) {
  keyboard.heldKeycode = 0;
  return FALSE;
}

}  // namespace

void TakeKeys(GtkWidget* area, std::function<void(const KeyStroke&)> deliver) {
  keyboard.deliver = std::move(deliver);
  gtk_widget_set_can_focus(area, TRUE);
  gtk_widget_add_events(area, GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK);
  g_signal_connect(area, "key-press-event", G_CALLBACK(OnKeyPress), nullptr);
  g_signal_connect(area, "key-release-event", G_CALLBACK(OnKeyRelease), nullptr);
  g_signal_connect(area, "focus-out-event", G_CALLBACK(OnFocusOut), nullptr);
  gtk_widget_grab_focus(area);
}
