// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 shell's player window, in-process under Wine: its menu bar as
// Windows holds it (the window description's titles, items and the event
// each sends), its client
// area that nothing resizes, at every DPI, and the V shortcut through the event loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/fonts.h"
#include "app/events.h"
#include "app/frame.h"
#include "app/player_state.h"
#include "app/window_description.h"
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
    LoadFonts(player.look.fonts);
    ComputeLayout(player.look.layout, player.playback.volume);
    player.shell = MakeWin32Shell(player);
    ASSERT_TRUE(player.shell.openPlayerWindow(player));
    window = FindWindowW(nullptr, reinterpret_cast<const wchar_t*>(T(kPlayerWindow.title).c_str()));
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (player.shell.closeWindows) player.shell.closeWindows(player);
  }

  std::pair<int, int> ClientSize() const {
    RECT client;
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
  }

  // Runs the event loop over what was posted, up to a close request.
  void RunLoopUntilClosed() {
    PostMessageW(window, WM_CLOSE, 0, 0);
    LoopUntilQuit(player);
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
  Menus expected;  // the window description's, separators with no text and no event
  for (const MenuEntry& entry : kPlayerMenuBar) {
    if (entry.kind == MenuEntry::Kind::Menu) expected.push_back({entry.text, {}});
    if (entry.kind != MenuEntry::Kind::Menu) expected.back().second.push_back({entry.text, UINT(entry.event)});
  }
  EXPECT_EQ(menus, expected);
}

TEST_F(Win32ShellTest, ClientAreaIs800By300AndNothingResizesIt) {
  EXPECT_EQ(ClientSize(), std::pair(800, 300));
  // Not even a program: the size limits hold the window to its one size.
  SetWindowPos(window, nullptr, 0, 0, 1000, 600, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(ClientSize(), std::pair(800, 300));
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
}

// A move to a screen of another DPI: a client area of 800 by 300 at the new
// scale, that nothing resizes, the view drawn to fill it, and the pointer's
// device pixels mapped back to the surface's (a drag on the volume track).
TEST_F(Win32ShellTest, ANewDpiScalesTheClientAreaTheViewAndThePointer) {
  const struct {
    UINT dpi;
    int width, height;
  } cases[] = {{120, 1000, 375}, {144, 1200, 450}, {192, 1600, 600}, {96, 800, 300}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi);
    RECT suggested{10, 10, 1010, 610};  // any size: the frame Windows suggests may not fit the menu bar
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&suggested));
    SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(ClientSize(), std::pair(c.width, c.height));
    RenderMainView(player);
    EXPECT_EQ(SurfacePixels(*player.mainSurface).width, c.width);

    const auto device = [&](int surface) { return surface * int(c.dpi) / 96; };
    player.playback.volume = 1.0f;
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(device(450), device(238)));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(device(530), device(238)));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(device(530), device(238)));
    EXPECT_NEAR(player.playback.volume, 0.5f, 0.01f) << "the drag across the track missed it";
  }
}

TEST_F(Win32ShellTest, VStepsTheVisualizerMode) {
  ASSERT_EQ(player.visualizer.visualizerMode, VisualizerMode::Bars);
  PostMessageW(window, WM_KEYDOWN, 'V', 1);
  PostMessageW(window, WM_KEYDOWN, 'V', 1);
  RunLoopUntilClosed();
  EXPECT_EQ(player.visualizer.visualizerMode, VisualizerMode::Ring);
}

TEST_F(Win32ShellTest, VWithAModifierIsOnlyAKey) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;  // held down
  SetKeyboardState(keys);
  PostMessageW(window, WM_KEYDOWN, 'V', 1);
  RunLoopUntilClosed();
  EXPECT_EQ(player.visualizer.visualizerMode, VisualizerMode::Bars);
}

// Each key as Windows posts it, with the modifiers held and the repeat bit:
// what the player's state shows of it.
TEST_F(Win32ShellTest, KeysWithTheirModifiersAndRepeats) {
  constexpr LPARAM kRepeat = LPARAM(1) << 30;
  const struct {
    WPARAM key;
    std::vector<int> held;
    LPARAM flags;
    float volume;
    bool plays;
    Control focus;
  } cases[] = {
      {VK_UP, {}, 1, 0.85f, false, Control::NoControl},       {VK_RIGHT, {}, kRepeat, 0.85f, false, Control::NoControl},
      {VK_LEFT, {}, 1, 0.75f, false, Control::NoControl},     {VK_SUBTRACT, {}, 1, 0.75f, false, Control::NoControl},
      {VK_OEM_PLUS, {VK_SHIFT}, 1, 0.85f, false, Control::NoControl},
      {VK_UP, {VK_CONTROL}, 1, 0.8f, false, Control::NoControl},
      {VK_SPACE, {}, 1, 0.8f, true, Control::NoControl},     {VK_SPACE, {}, kRepeat, 0.8f, false, Control::NoControl},
      {VK_SPACE, {VK_MENU}, 1, 0.8f, false, Control::NoControl},
      {VK_TAB, {VK_SHIFT}, 1, 0.8f, false, Control::Volume}, {'Q', {}, 1, 0.8f, false, Control::NoControl},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " flags " << c.flags);
    ResetFake();
    player.playback = {};
    player.pointer = {};
    player.handler.quitPending = false;
    BYTE keys[256] = {};
    for (int held : c.held) keys[held] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(window, WM_KEYDOWN, c.key, c.flags);
    RunLoopUntilClosed();
    EXPECT_FLOAT_EQ(player.playback.volume, c.volume);
    EXPECT_EQ(player.playback.streamHandle != 0, c.plays);
    EXPECT_EQ(player.pointer.keyboardFocus, c.focus);
  }
  BYTE keys[256] = {};
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  player.handler.quitPending = false;
  PostMessageW(window, WM_KEYDOWN, 'Q', 1);
  LoopUntilQuit(player);  // Ctrl+Q alone ends the loop
  EXPECT_TRUE(player.handler.quitPending);
  SetKeyboardState(std::array<BYTE, 256>{}.data());
}

}  // namespace
