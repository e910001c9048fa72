// SPDX-License-Identifier: GPL-3.0-or-later
// The player window's menu bar as the toolkit holds it: the window
// description's titles, items and order, read from the real window on a
// private X server.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <stdlib.h>

#include <string>
#include <utility>
#include <vector>

#include "app/player_state.h"
#include "app/window_description.h"
#include "platform/gtk_shell.h"
#include "x_session.h"

namespace {

using Menus = std::vector<std::pair<std::string, std::vector<std::string>>>;

GtkWidget* FindMenuBar(GtkWidget* widget) {
  if (GTK_IS_MENU_BAR(widget)) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* found = nullptr;
  for (GList* c = children; c != nullptr && found == nullptr; c = c->next) found = FindMenuBar(GTK_WIDGET(c->data));
  g_list_free(children);
  return found;
}

std::vector<std::string> Labels(GtkWidget* menu) {
  std::vector<std::string> labels;
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* i = items; i != nullptr; i = i->next) {
    const char* label = gtk_menu_item_get_label(GTK_MENU_ITEM(i->data));
    labels.push_back(label != nullptr ? label : "");
  }
  g_list_free(items);
  return labels;
}

TEST(PlayerMenus, TitlesAndItemsInOrder) {
  XSession session;
  ASSERT_TRUE(StartXSession(session)) << "Xvfb did not start";
  setenv("DISPLAY", session.display.c_str(), 1);
  setenv("GDK_BACKEND", "x11", 1);
  setenv("NO_AT_BRIDGE", "1", 1);
  ASSERT_TRUE(InitToolkit());
  Player player;
  InitPlayerState(player);
  player.shell = MakeGtkShell(player);
  ASSERT_TRUE(player.shell.openPlayerWindow(player));

  GtkWidget* window = nullptr;
  GList* toplevels = gtk_window_list_toplevels();
  for (GList* t = toplevels; t != nullptr; t = t->next) {
    const char* title = gtk_window_get_title(GTK_WINDOW(t->data));
    if (title != nullptr && title == std::string(kPlayerWindow.title)) window = GTK_WIDGET(t->data);
  }
  g_list_free(toplevels);
  ASSERT_NE(window, nullptr);
  GtkWidget* bar = FindMenuBar(window);
  ASSERT_NE(bar, nullptr);
  Menus menus;
  GList* titles = gtk_container_get_children(GTK_CONTAINER(bar));
  for (GList* t = titles; t != nullptr; t = t->next) {
    GtkMenuItem* title = GTK_MENU_ITEM(t->data);
    GtkWidget* menu = gtk_menu_item_get_submenu(title);
    menus.emplace_back(gtk_menu_item_get_label(title), menu ? Labels(menu) : std::vector<std::string>{});
  }
  g_list_free(titles);

  Menus expected;  // the window description's, separators as empty labels
  for (const MenuEntry& entry : kPlayerMenuBar) {
    if (entry.kind == MenuEntry::Kind::Menu) expected.push_back({entry.text, {}});
    if (entry.kind != MenuEntry::Kind::Menu) expected.back().second.push_back(entry.text);
  }
  EXPECT_EQ(menus, expected);
  player.shell.closeWindows(player);
  StopXSession(session);
}

}  // namespace
