// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 shell's player window, in-process under Wine: its menu bar as
// Windows holds it (titles, items and the event each sends), its client
// area that nothing resizes, and the V shortcut through the event loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/fonts.h"
#include "app/player_state.h"
#include "fake_audio.h"
#include "platform/win32_shell.h"

namespace {

struct Item {
  std::string text;
  UINT event;
  bool operator==(const Item&) const = default;
  friend void PrintTo(const Item& item, std::ostream* out) { *out << '"' << item.text << "\" " << item.event; }
};
using Menus = std::vector<std::pair<std::string, std::vector<Item>>>;

std::string MenuText(HMENU menu, UINT position) {
  wchar_t text[256] = L"";
  GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return TextToUtf8(reinterpret_cast<const char16_t*>(text));
}

class Win32ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InitWin32Shell(GetModuleHandleW(nullptr)));
    ResetFake();
    InitPlayerState(player);
    player.audioLibrary.api = FakeAudioApi();
    LoadFonts(player.fonts);
    ComputeLayout(player.layout, player.volume);
    player.shell = MakeWin32Shell();
    ASSERT_TRUE(player.shell.openPlayerWindow(player));
    window = FindWindowW(nullptr, L"Orvelle Player");
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (player.shell.closeWindows) player.shell.closeWindows(player);
  }

  // Runs the event loop over what was posted, up to a close request.
  void RunLoopUntilClosed() {
    PostMessageW(window, WM_CLOSE, 0, 0);
    player.shell.runEventLoop(player);
  }

  Player player;
  HWND window = nullptr;
};

TEST_F(Win32ShellTest, MenuTitlesItemsAndEventsInOrder) {
  const HMENU bar = GetMenu(window);
  ASSERT_NE(bar, nullptr);
  Menus menus;
  for (int t = 0; t < GetMenuItemCount(bar); ++t) {
    const HMENU menu = GetSubMenu(bar, t);
    std::vector<Item> items;
    for (int i = 0; menu != nullptr && i < GetMenuItemCount(menu); ++i) {
      items.push_back({MenuText(menu, UINT(i)), GetMenuItemID(menu, i)});
    }
    menus.emplace_back(MenuText(bar, UINT(t)), items);
  }
  const Menus expected = {
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
}

TEST_F(Win32ShellTest, ClientAreaIs800By300AndNothingResizesIt) {
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right - client.left, 800);
  EXPECT_EQ(client.bottom - client.top, 300);
  // Not even a program: the size limits hold the window to its one size.
  SetWindowPos(window, nullptr, 0, 0, 1000, 600, SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(window, &client);
  EXPECT_EQ(client.right - client.left, 800);
  EXPECT_EQ(client.bottom - client.top, 300);
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
}

TEST_F(Win32ShellTest, VStepsTheVisualizerMode) {
  ASSERT_EQ(player.visualizerMode, 1);
  PostMessageW(window, WM_KEYDOWN, 'V', 1);
  PostMessageW(window, WM_KEYDOWN, 'V', 1);
  RunLoopUntilClosed();
  EXPECT_EQ(player.visualizerMode, 3);
}

TEST_F(Win32ShellTest, VWithAModifierIsOnlyAKey) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;  // held down
  SetKeyboardState(keys);
  PostMessageW(window, WM_KEYDOWN, 'V', 1);
  RunLoopUntilClosed();
  EXPECT_EQ(player.visualizerMode, 1);
}

}  // namespace
