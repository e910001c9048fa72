// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_description.h"

namespace {

// The "Affichage" items are one per visualizer mode, in their order, from
// kMenuVisualizerFirst on: the shortcut's number comes right after theirs.
constexpr bool ModeItemsMatchTheModes() {
  int next = kMenuVisualizerFirst;
  for (const MenuEntry& entry : kPlayerMenuBar) {
    if (entry.kind != MenuEntry::Kind::Item || entry.command.kind != Command::Kind::SelectVisualizer) continue;
    if (entry.event != next || int(entry.command.mode) != next - kMenuVisualizerFirst) {
      return false;
    }
    ++next;
  }
  return next == kMenuNextVisualizer;
}
static_assert(ModeItemsMatchTheModes());

}  // namespace

const Command* MenuCommand(int event) {
  for (const MenuEntry& entry : kPlayerMenuBar) {
    if (entry.kind == MenuEntry::Kind::Item && entry.event == event) return &entry.command;
  }
  for (const Shortcut& shortcut : kShortcuts) {
    if (shortcut.event == event) return &shortcut.command;
  }
  return nullptr;
}
