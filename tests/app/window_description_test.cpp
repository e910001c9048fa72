// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar as both shells build it, and the shortcut beside it.
#include "app/window_description.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

TEST(WindowDescription, MenuTitlesItemsAndEventsInOrder) {
  using Items = std::vector<std::pair<std::string, int>>;
  std::vector<std::pair<std::string, Items>> menus;
  for (const MenuEntry& entry : kPlayerMenuBar) {
    if (entry.kind == MenuEntry::Kind::Menu) menus.push_back({entry.text, {}});
    if (entry.kind != MenuEntry::Kind::Menu) menus.back().second.push_back({entry.text, entry.event});
  }
  const decltype(menus) expected = {
      {"Fichier", {{"Quitter", 100}}},
      {"Orvelle", {{"Site Orvelle\u2026", 110}, {"Podcast", 111}, {"Top 30", 112}, {"Forum", 113}, {"", 0}, {"Titres diffus\u00E9s\u2026", 300}}},
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
  // V alone, with no item of its own, raises the number after the modes';
  // Ctrl+C one beyond the specified numbers.
  ASSERT_EQ(std::size(kShortcuts), 2u);
  EXPECT_EQ((std::tuple{kShortcuts[0].key, kShortcuts[0].event, kShortcuts[0].control}), (std::tuple{'V', 206, false}));
  EXPECT_EQ(MenuCommand(206)->kind, Command::Kind::NextVisualizer);
  EXPECT_EQ((std::tuple{kShortcuts[1].key, kShortcuts[1].event, kShortcuts[1].control}), (std::tuple{'C', 301, true}));
  EXPECT_EQ(MenuCommand(301)->kind, Command::Kind::CopySong);
  EXPECT_EQ(MenuCommand(300)->kind, Command::Kind::ShowPlayedSongs);
}

}  // namespace
