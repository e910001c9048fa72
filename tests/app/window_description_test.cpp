// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar as both shells build it, and the shortcut beside it.
#include "app/window_description.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(WindowDescription, MenuTitlesItemsAndEventsInOrder) {
  using Items = std::vector<std::pair<std::string, int>>;
  std::vector<std::pair<std::string, Items>> menus;
  for (const MenuEntry& entry : kPlayerMenuBar) {
    if (entry.kind == MenuEntry::Kind::Menu) menus.push_back({entry.text, {}});
    if (entry.kind == MenuEntry::Kind::Item) menus.back().second.push_back({entry.text, entry.event});
  }
  const decltype(menus) expected = {
      {"Fichier", {{"Quitter", 100}}},
      {"Orvelle", {{"Site Orvelle\u2026", 110}, {"Podcast", 111}, {"Top 30", 112}, {"Forum", 113}}},
      {"Affichage",
       {{"Visualizer : Ligne", 200},
        {"Visualizer : Barres", 201},
        {"Visualizer : Barres miroir", 202},
        {"Visualizer : Cercle", 203},
        {"Visualizer : Rayons", 204},
        {"Visualizer : Oscilloscope", 205}}},
      {"\u00C0 propos", {{"\u00C0 propos de Orvelle\u2026", 120}}},
  };
  EXPECT_EQ(menus, expected);
  // V, with no item of its own, raises the number after the modes'.
  ASSERT_EQ(std::size(kShortcuts), 1u);
  EXPECT_EQ((std::pair{kShortcuts[0].key, kShortcuts[0].event}), (std::pair{'V', 206}));
  EXPECT_EQ(MenuCommand(206)->kind, Command::Kind::NextVisualizer);
}

}  // namespace
