// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32_shell.h"

#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "app/commands.h"
#include "app/events.h"
#include "app/startup.h"
#include "display/played_songs_view.h"
#include "platform/accessible_win32.h"
#include "platform/keyboard_win32.h"
#include "platform/web_page.h"
#include "platform/win32_dpi.h"

namespace {

constexpr wchar_t kSideClass[] = L"OrvelleSideWindow";
constexpr wchar_t kPlayedSongsClass[] = L"OrvellePlayedSongsWindow";
// A title bar with the system menu and its close box, a minimize box where
// the description asks for one; no maximize box and no sizing border: the
// windows keep their size.
constexpr DWORD kPlayerStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kDialogStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr int kIconResource = 1;  // resources/orvelle-player.rc
constexpr wchar_t kMessageBoxClass[] = L"#32770";

// A window beside the player window (app/window_description.h).
struct SideState {
  const SideWindow* side = nullptr;
  HWND window = nullptr;
  SIZE size{};  // its one outer size
  Surface* surface = nullptr;
};

// Everything the Win32 side keeps. One player window per process.
struct Win32ShellState {
  HINSTANCE instance = nullptr;
  Player* player = nullptr;
  HWND window = nullptr;  // window 0, its menu bar is menu 1
  HACCEL shortcuts = nullptr;
  SIZE playerSize{};                 // the player window's one outer size
  float playerScale = 1;             // its display scale (platform/win32_dpi.h)
  std::vector<std::unique_ptr<SideState>> sides;
  HWND playedSongsWindow = nullptr;
  SIZE playedSongsSize{};
  float playedSongsScale = 1;
  Surface* playedSongsSurface = nullptr;
  bool pointerCaptured = false;      // a left press holds the pointer for the drag
  POINT lastPointer{};               // where the pointer was last seen on surface 1
  bool boxOpen = false;              // a message box of ours is open
};

Win32ShellState g;

const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

BOOL CALLBACK CloseMessageBox(HWND window, LPARAM) {
  wchar_t name[16] = L"";
  GetClassNameW(window, name, 16);
  // A box with only OK answers IDOK however it is closed.
  if (lstrcmpW(name, kMessageBoxClass) == 0) PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void CloseOpenMessageBox() {
  if (g.boxOpen) EnumThreadWindows(GetCurrentThreadId(), CloseMessageBox, 0);
}

void Deliver(const ShellEvent& event) {
  if (g.player != nullptr) DeliverEvent(*g.player, event);
}

// The player window, for the workers' wake-ups; null while there is none.
std::atomic<HWND> resultsWindow{nullptr};
std::atomic<bool> resultsWakePending{false};
constexpr UINT kResultsReady = WM_APP + 1;

void SendPointer(PointerKind kind, LPARAM position) {
  // Signed: while the pointer is captured it may be left of or above the window.
  g.lastPointer = SurfacePoint(GET_X_LPARAM(position), GET_Y_LPARAM(position), g.playerScale);
  Deliver({ShellEvent::Kind::Surface, 0, {kind, int(g.lastPointer.x), int(g.lastPointer.y)}});
}

void RunCommandOf(const Command& command) { Deliver({ShellEvent::Kind::Command, 0, {}, command}); }

// The keyboard's media keys, as an APPCOMMAND_ number.
std::optional<Command> MediaKeyCommand(int appCommand) {
  switch (appCommand) {
    case APPCOMMAND_MEDIA_PLAY_PAUSE:
      return PlayPauseCommand(g.player != nullptr && g.player->playback.streamLive);
    case APPCOMMAND_MEDIA_PLAY:
      return Command{Command::Kind::Play};
    case APPCOMMAND_MEDIA_PAUSE:  // nothing to pause in a live stream
    case APPCOMMAND_MEDIA_STOP:
      return Command{Command::Kind::Stop};
    default:
      return std::nullopt;
  }
}

// The media keys while another program has the focus: each one that no
// other program holds. The hot key's id is the APPCOMMAND_ it stands for.
// Without them the keys still come as WM_APPCOMMAND while the window has the focus.
constexpr struct {
  UINT virtualKey;
  int appCommand;
} kMediaHotKeys[] = {{VK_MEDIA_PLAY_PAUSE, APPCOMMAND_MEDIA_PLAY_PAUSE}, {VK_MEDIA_STOP, APPCOMMAND_MEDIA_STOP}};

void HoldMediaKeys(HWND window) {
  for (const auto& key : kMediaHotKeys) RegisterHotKey(window, key.appCommand, MOD_NOREPEAT, key.virtualKey);
}

void ReleaseMediaKeys(HWND window) {
  for (const auto& key : kMediaHotKeys) UnregisterHotKey(window, key.appCommand);
}

// True if the key was the player's.
bool RunMediaKey(int appCommand) {
  const std::optional<Command> command = MediaKeyCommand(appCommand);
  if (command) Deliver({ShellEvent::Kind::Command, 0, {}, *command});
  return command.has_value();
}

// The window shows the retained picture; nothing is drawn here.
void PaintFrom(HWND window, Surface* surface) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (surface != nullptr) {
    const PixelView view = SurfacePixels(*surface);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = view.width;
    info.bmiHeader.biHeight = -view.height;  // rows from the top down, as the surface holds them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // The whole picture: the paint's clipping keeps it to what needs it.
    SetDIBitsToDevice(dc, 0, 0, DWORD(view.width), DWORD(view.height), 0, 0, 0, UINT(view.height), view.data, &info,
                      DIB_RGB_COLORS);
  }
  EndPaint(window, &paint);
}

// Has the window show what changed on its surface, in surface pixels.
void ShowInWindow(HWND window, Surface& surface) {
  SetPresent(surface, [window, &surface](int x, int y, int width, int height) {
    const RECT changed = DeviceRect(x, y, width, height, SurfaceScale(surface));
    InvalidateRect(window, &changed, FALSE);
  });
}

// Outer size and place of a window whose client area is width by height,
// centred on the work area of the primary screen.
RECT CentredWindowRect(int width, int height, DWORD style, bool menu) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, menu, 0);
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  // A window larger than the work area (a small screen at a large scale)
  // keeps its title bar and left edge on it.
  const int x = std::max(int(work.left + (work.right - work.left - w) / 2), int(work.left));
  const int y = std::max(int(work.top + (work.bottom - work.top - h) / 2), int(work.top));
  return {x, y, x + w, y + h};
}

// Makes the client area exactly width by height, and keeps that outer size
// as the window's only size: a menu bar that wraps, or a display scale the
// frame was not computed for, changes what the frame leaves inside it.
void FitClientArea(HWND window, int width, int height, SIZE& fixedSize) {
  RECT client, outer;
  GetClientRect(window, &client);
  GetWindowRect(window, &outer);
  fixedSize = {outer.right - outer.left + width - (client.right - client.left),
               outer.bottom - outer.top + height - (client.bottom - client.top)};
  if (fixedSize.cx == outer.right - outer.left && fixedSize.cy == outer.bottom - outer.top) return;
  SetWindowPos(window, nullptr, 0, 0, fixedSize.cx, fixedSize.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window is on a screen of another DPI now (or the DPI changed): it
// takes the place Windows suggests, a client area at the new scale, and its
// surface is drawn at that scale from its next drawing on. Its new scale.
float FollowNewDpi(HWND window, WPARAM wParam, LPARAM lParam, const WindowDescription& description, SIZE& fixedSize,
                   Surface* surface) {
  const float scale = ScaleOfDpi(LOWORD(wParam));
  fixedSize = {};  // the old size must not hold the window back
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const SIZE client = ClientSizeAt(description.width, description.height, scale);
  FitClientArea(window, client.cx, client.cy, fixedSize);
  if (surface != nullptr) SetSurfaceScale(*surface, scale);
  InvalidateRect(window, nullptr, FALSE);
  return scale;
}

// Minimum and maximum size are that one size: the window cannot be
// resized, not even by a program.
void FixTrackSize(MINMAXINFO* limits, SIZE fixedSize) {
  if (fixedSize.cx <= 0) return;  // not known yet: the window is being made
  limits->ptMinTrackSize = {fixedSize.cx, fixedSize.cy};
  limits->ptMaxTrackSize = {fixedSize.cx, fixedSize.cy};
}

LRESULT CALLBACK PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      if (g.player != nullptr) RequestQuit(*g.player);  // the window is destroyed at shutdown, not here
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // nothing of the listener's is lost: the session may end
    case WM_ENDSESSION:
      // The system ends the process once this returns, audio threads and
      // all: the usual shutdown runs now, and the process ends with it.
      if (wParam && g.player != nullptr) {
        ShutDown(*g.player);
        ExitProcess(0);
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the surface covers the whole client area
    case WM_PAINT:
      PaintFrom(window, g.player != nullptr ? g.player->mainSurface : nullptr);
      return 0;
    case WM_GETMINMAXINFO:
      FixTrackSize(reinterpret_cast<MINMAXINFO*>(lParam), g.playerSize);
      return 0;
    case WM_SIZE:
      // Minimized, the player stops drawing until it is restored.
      if (g.player != nullptr && (wParam == SIZE_MINIMIZED || wParam == SIZE_RESTORED)) {
        SetWindowShown(*g.player, wParam == SIZE_RESTORED);
      }
      return 0;
    case WM_DPICHANGED:
      // Drawn at the new scale by the next frame, as every 80 ms.
      g.playerScale = FollowNewDpi(window, wParam, lParam, kPlayerWindow, g.playerSize,
                                   g.player != nullptr ? g.player->mainSurface : nullptr);
      return 0;
    case WM_COMMAND:
      // From the menu bar (0) or the shortcut (1); not from controls: there are none.
      if (HIWORD(wParam) <= 1) Deliver({ShellEvent::Kind::Menu, int(LOWORD(wParam))});
      return 0;
    case WM_TIMER:
      Deliver({ShellEvent::Kind::Timer, int(wParam)});
      return 0;
    case WM_APPCOMMAND:
      // Not ours: up to the parent chain and the system, as DefWindowProc does.
      return RunMediaKey(GET_APPCOMMAND_LPARAM(lParam)) ? TRUE : DefWindowProcW(window, message, wParam, lParam);
    case WM_HOTKEY:
      RunMediaKey(int(wParam));
      return 0;
    case kResultsReady:
      resultsWakePending.store(false);
      if (g.player != nullptr) ApplyBackgroundResults(*g.player);
      return 0;
    case WM_LBUTTONDOWN:
      // Moves and the release keep coming while the button is held, even
      // outside the window.
      SetCapture(window);
      g.pointerCaptured = true;
      SendPointer(PointerKind::LeftPress, lParam);
      return 0;
    case WM_LBUTTONUP:
      g.pointerCaptured = false;
      ReleaseCapture();
      SendPointer(PointerKind::LeftRelease, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the pointer mid-drag (a system dialog, Alt+Tab):
      // its release will never come here, so the drag ends now.
      if (g.pointerCaptured) {
        g.pointerCaptured = false;
        Deliver({ShellEvent::Kind::Surface, 0, {PointerKind::LeftRelease, int(g.lastPointer.x), int(g.lastPointer.y)}});
      }
      return 0;
    case WM_MOUSEMOVE:
      SendPointer(PointerKind::Move, lParam);
      return 0;
    case WM_GETOBJECT:
      if (const LRESULT answer = AnswerGetObject(window, wParam, lParam, {[] { return g.player; }, RunCommandOf})) {
        return answer;
      }
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_KEYDOWN:
      if (const std::optional<KeyStroke> key = KeyFromMessage(wParam, lParam)) {
        Deliver({ShellEvent::Kind::Key, 0, {}, {}, {}, *key});
        return 0;
      }
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      SendPointer(PointerKind::Other, lParam);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

SideState* SideOf(HWND window) {
  for (const auto& side : g.sides) {
    if (side->window == window) return side.get();
  }
  return nullptr;
}

void DestroySideWindow(SideState* side) {
  const HWND window = side->window;
  DestroySurface(side->surface);
  std::erase_if(g.sides, [side](const std::unique_ptr<SideState>& kept) { return kept.get() == side; });
  if (window != nullptr) DestroyWindow(window);
}

LRESULT CALLBACK SideWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SideState* side = SideOf(window);
  switch (message) {
    case WM_CLOSE:
      if (side != nullptr) DestroySideWindow(side);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintFrom(window, side != nullptr ? side->surface : nullptr);
      return 0;
    case WM_GETMINMAXINFO:
      if (side != nullptr) FixTrackSize(reinterpret_cast<MINMAXINFO*>(lParam), side->size);
      return 0;
    case WM_DPICHANGED:
      if (side == nullptr) return 0;
      FollowNewDpi(window, wParam, lParam, side->side->window, side->size, side->surface);
      // Its picture is drawn once: it is drawn again at the new scale.
      if (g.player != nullptr && side->surface != nullptr) side->side->draw(*g.player, *side->surface);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);  // pointer events: ignored
  }
}

// ---------------------------------------------------------------- played songs

void DestroyPlayedSongsWindow() {
  if (g.playedSongsWindow != nullptr) {
    const HWND played = g.playedSongsWindow;
    g.playedSongsWindow = nullptr;
    DestroyWindow(played);
  }
  if (g.player != nullptr) ClosePlayedSongs(*g.player);
  DestroySurface(g.playedSongsSurface);
}

void SendPlayedSongs(PlayedSongsInput input) { Deliver({ShellEvent::Kind::PlayedSongs, 0, {}, {}, input}); }

LRESULT CALLBACK PlayedSongsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != g.playedSongsWindow) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_CLOSE:
      DestroyPlayedSongsWindow();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintFrom(window, g.playedSongsSurface);
      return 0;
    case WM_GETMINMAXINFO:
      FixTrackSize(reinterpret_cast<MINMAXINFO*>(lParam), g.playedSongsSize);
      return 0;
    case WM_DPICHANGED:
      g.playedSongsScale =
          FollowNewDpi(window, wParam, lParam, kPlayedSongsWindow, g.playedSongsSize, g.playedSongsSurface);
      if (g.player != nullptr) DrawPlayedSongsWindow(*g.player);
      return 0;
    case WM_LBUTTONDOWN: {
      const POINT at = SurfacePoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), g.playedSongsScale);
      SendPlayedSongs({PlayedSongsInput::Kind::Click, int(at.x), int(at.y)});
      return 0;
    }
    case WM_MOUSEWHEEL:
      // Up (positive) shows newer songs.
      SendPlayedSongs({PlayedSongsInput::Kind::Scroll, 0, 0, -float(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA});
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        DestroyPlayedSongsWindow();
      } else if (wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
        SendPlayedSongs({PlayedSongsInput::Kind::CopySelected});
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void OpenPlayedSongsWindow(Player& player) {
  if (g.playedSongsWindow != nullptr) {
    ShowWindow(g.playedSongsWindow, SW_RESTORE);
    SetForegroundWindow(g.playedSongsWindow);
    return;
  }
  g.playedSongsSurface = CreateSurface(kPlayedSongsWidth, kPlayedSongsHeight);
  if (g.playedSongsSurface == nullptr) return;
  const SIZE guess = ClientSizeAt(kPlayedSongsWidth, kPlayedSongsHeight, WindowScale(nullptr));
  const RECT place = CentredWindowRect(guess.cx, guess.cy, kDialogStyle, false);
  g.playedSongsSize = {place.right - place.left, place.bottom - place.top};
  g.playedSongsWindow = CreateWindowExW(0, kPlayedSongsClass, Wide(T(kPlayedSongsWindow.title)), kDialogStyle, place.left,
                                        place.top, place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                                        g.instance, nullptr);
  if (g.playedSongsWindow == nullptr) {
    DestroySurface(g.playedSongsSurface);
    return;
  }
  g.playedSongsScale = WindowScale(g.playedSongsWindow);
  const SIZE client = ClientSizeAt(kPlayedSongsWidth, kPlayedSongsHeight, g.playedSongsScale);
  FitClientArea(g.playedSongsWindow, client.cx, client.cy, g.playedSongsSize);
  SetSurfaceScale(*g.playedSongsSurface, g.playedSongsScale);
  ShowInWindow(g.playedSongsWindow, *g.playedSongsSurface);
  OpenPlayedSongs(player, g.playedSongsSurface);
  ShowWindow(g.playedSongsWindow, SW_SHOW);
}

void CopyToClipboard(const Text& text) {
  if (!OpenClipboard(g.window)) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (void* held = memory != nullptr ? GlobalLock(memory) : nullptr) {
    std::memcpy(held, text.c_str(), bytes);  // with its terminating zero
    GlobalUnlock(memory);
    // Once set, the memory is the system's.
    if (SetClipboardData(CF_UNICODETEXT, memory) != nullptr) memory = nullptr;
  }
  if (memory != nullptr) GlobalFree(memory);
  CloseClipboard();
}

DWORD StyleOf(const WindowDescription& description) {
  return description.minimizable ? kPlayerStyle : kDialogStyle;
}

// Menu 1; nullptr if it cannot be made, and the window goes without.
HMENU BuildMenuBar() {
  HMENU bar = CreateMenu();
  if (bar == nullptr) return nullptr;
  HMENU menu = nullptr;
  for (const MenuEntry& entry : kPlayerMenuBar) {
    const Text text = T(entry.text);  // no '&' in any text: no mnemonics
    switch (entry.kind) {
      case MenuEntry::Kind::Menu:
        menu = CreatePopupMenu();
        if (menu != nullptr) AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), Wide(text));
        break;
      case MenuEntry::Kind::Item:
        if (menu != nullptr) AppendMenuW(menu, MF_STRING, UINT_PTR(entry.event), Wide(text));
        break;
      case MenuEntry::Kind::Separator:
        if (menu != nullptr) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        break;
    }
  }
  return bar;
}

// A window of that description, centred, with `menu` if not null; its one
// outer size in `size`, its display scale in `scale`.
HWND NewWindow(const wchar_t* windowClass, const WindowDescription& description, HMENU menu, SIZE& size,
               float& scale) {
  const DWORD style = StyleOf(description);
  // Placed at the system's scale; the screen it lands on has the last word.
  SIZE client = ClientSizeAt(description.width, description.height, WindowScale(nullptr));
  const RECT place = CentredWindowRect(client.cx, client.cy, style, menu != nullptr);
  size = {place.right - place.left, place.bottom - place.top};
  const HWND window = CreateWindowExW(0, windowClass, Wide(T(description.title)), style, place.left, place.top,
                                      size.cx, size.cy, nullptr, menu, g.instance, nullptr);
  if (window == nullptr) return nullptr;
  scale = WindowScale(window);
  client = ClientSizeAt(description.width, description.height, scale);
  FitClientArea(window, client.cx, client.cy, size);
  return window;
}

bool OpenPlayerWindow(Player& player) {
  HMENU menu = BuildMenuBar();
  g.window = NewWindow(kPlayerWindowClass, kPlayerWindow, menu, g.playerSize, g.playerScale);
  if (g.window == nullptr) {
    if (menu != nullptr) DestroyMenu(menu);
    return false;
  }

  // An accelerator matches only with the modifiers it names: V alone, Ctrl+C.
  std::vector<ACCEL> keys;
  for (const Shortcut& shortcut : kShortcuts) {
    keys.push_back({BYTE(FVIRTKEY | (shortcut.control ? FCONTROL : 0)), WORD(shortcut.key), WORD(shortcut.event)});
  }
  g.shortcuts = CreateAcceleratorTableW(keys.data(), int(keys.size()));

  player.mainSurface = CreateSurface(kPlayerWindow.width, kPlayerWindow.height);
  if (player.mainSurface != nullptr) {
    SetSurfaceScale(*player.mainSurface, g.playerScale);
    ShowInWindow(g.window, *player.mainSurface);
  }
  ShowWindow(g.window, SW_SHOW);
  resultsWindow.store(g.window);
  return true;
}

void ShowFirstFrame(Player&) {
  // Painted now, before the start-up poll starts.
  if (g.window != nullptr) UpdateWindow(g.window);
  GdiFlush();
}

void StartTimers(Player&) {
  for (const TimerDescription& timer : kTimers) SetTimer(g.window, UINT_PTR(timer.id), timer.intervalMs, nullptr);
  // The loop is about to run: from here on the media keys may drive the player.
  HoldMediaKeys(g.window);
}

void RunEventLoop(Player&) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The shortcuts belong to the player window: V in the About window is only V.
    if (message.hwnd == g.window && g.shortcuts != nullptr && TranslateAcceleratorW(g.window, g.shortcuts, &message)) {
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void ShowMessageBox(const Text& title, const Text& message) {
  g.boxOpen = true;  // a quit request closes it
  // Modal to the player window when there is one; the loop inside it goes
  // on painting, and drops the events it hands the player (DeliverEvent).
  MessageBoxW(g.window, Wide(message), Wide(title), MB_OK | MB_ICONERROR | (g.window ? 0 : MB_SETFOREGROUND));
  g.boxOpen = false;
}

Surface* OpenSideWindow(const SideWindow& description) {
  // A second opening replaces the first.
  for (const auto& open : g.sides) {
    if (open->side == &description) {
      DestroySideWindow(open.get());
      break;
    }
  }
  auto side = std::make_unique<SideState>();
  side->side = &description;
  SideState* kept = side.get();
  g.sides.push_back(std::move(side));
  float scale = 1;
  kept->window = NewWindow(kSideClass, description.window, nullptr, kept->size, scale);
  if (kept->window == nullptr) {
    DestroySideWindow(kept);
    return nullptr;
  }
  kept->surface = CreateSurface(description.window.width, description.window.height);
  if (kept->surface != nullptr) {
    SetSurfaceScale(*kept->surface, scale);
    ShowInWindow(kept->window, *kept->surface);
  }
  ShowWindow(kept->window, SW_SHOW);
  return kept->surface;
}

void CloseWindows(Player& player) {
  resultsWindow.store(nullptr);
  ReleaseAccessible();
  if (g.window != nullptr) {
    for (const TimerDescription& timer : kTimers) KillTimer(g.window, UINT_PTR(timer.id));
    ReleaseMediaKeys(g.window);
  }
  while (!g.sides.empty()) DestroySideWindow(g.sides.back().get());
  DestroyPlayedSongsWindow();
  if (g.window != nullptr) {
    DestroyWindow(g.window);  // and its menu bar with it
    g.window = nullptr;
  }
  if (g.shortcuts != nullptr) {
    DestroyAcceleratorTable(g.shortcuts);
    g.shortcuts = nullptr;
  }
  DestroySurface(player.mainSurface);
  // As before the window opened: a program that opens it again (the shell's
  // tests do, one after the other) starts afresh.
  const HINSTANCE instance = g.instance;
  g = Win32ShellState{};
  g.instance = instance;
}

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = g.instance;
  windowClass.hIcon = static_cast<HICON>(LoadImageW(g.instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(g.instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.lpszClassName = name;
  // Registered by an earlier call in this process: the same class.
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool InitWin32Shell(HINSTANCE instance) {
  g.instance = instance;
  return RegisterWindowClass(kPlayerWindowClass, PlayerWindowProc) && RegisterWindowClass(kSideClass, SideWindowProc) &&
         RegisterWindowClass(kPlayedSongsClass, PlayedSongsWindowProc);
}

Shell MakeWin32Shell(Player& player) {
  g.player = &player;
  Shell shell;
  shell.showMessageBox = ShowMessageBox;
  shell.closeMessageBox = CloseOpenMessageBox;
  shell.openPlayerWindow = OpenPlayerWindow;
  shell.showFirstFrame = ShowFirstFrame;
  shell.startTimers = StartTimers;
  shell.runEventLoop = RunEventLoop;
  shell.leaveEventLoop = [] { PostQuitMessage(0); };
  shell.openSideWindow = OpenSideWindow;
  shell.openPlayedSongs = OpenPlayedSongsWindow;
  shell.copyText = CopyToClipboard;
  shell.openWebPage = OpenWebPage;
  shell.notifyChanged = [](unsigned changes) {
    if (g.player != nullptr) AccessibleFollow(g.window, *g.player, changes);
  };
  shell.closeWindows = CloseWindows;
  return shell;
}

void WakeForResults() {
  const HWND window = resultsWindow.load();
  // A message to the window, not to the thread: a message box's own loop
  // would drop a thread message. A message lost with a closing window does
  // not matter: nothing is applied any more.
  if (window != nullptr && !resultsWakePending.exchange(true)) {
    if (!PostMessageW(window, kResultsReady, 0, 0)) resultsWakePending.store(false);
  }
}
