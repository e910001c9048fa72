// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32_shell.h"

#include <windowsx.h>

#include <atomic>
#include <cstring>

#include "app/about_window.h"
#include "app/events.h"
#include "app/startup.h"
#include "display/played_songs_view.h"
#include "display/visualizer.h"
#include "os/log.h"
#include "platform/web_page.h"

namespace {

constexpr wchar_t kPlayerClass[] = L"OrvellePlayerWindow";
constexpr wchar_t kAboutClass[] = L"OrvelleAboutWindow";
constexpr wchar_t kPlayedSongsClass[] = L"OrvellePlayedSongsWindow";
// A title bar with the system menu, its close box and a minimize box; no
// maximize box and no sizing border: the windows keep their size.
constexpr DWORD kPlayerStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kAboutStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr int kIconResource = 1;  // resources/orvelle-player.rc
constexpr wchar_t kMessageBoxClass[] = L"#32770";

// Everything the Win32 side keeps. One player window per process.
struct Win32ShellState {
  HINSTANCE instance = nullptr;
  Player* player = nullptr;
  HWND window = nullptr;  // window 0, its menu bar is menu 1
  HACCEL shortcut = nullptr;
  SIZE playerSize{};                 // the player window's one outer size
  HWND aboutWindow = nullptr;        // window 2
  SIZE aboutSize{};
  Surface* aboutSurface = nullptr;   // surface 20
  HWND playedSongsWindow = nullptr;
  SIZE playedSongsSize{};
  Surface* playedSongsSurface = nullptr;
  bool pointerCaptured = false;      // a left press holds the pointer for the drag
  POINT lastPointer{};               // where the pointer was last seen on surface 1
  bool boxOpen = false;              // a message box of ours is open
  bool quitPending = false;          // the user or the system asked to quit
  bool looping = false;
};

Win32ShellState g;

const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// Leaves the loop once asked to, but never from inside a handler: that one
// returns first (a message box it shows is closed by the request).
void QuitIfPending() {
  if (g.quitPending && g.looping && g.player != nullptr && !g.player->handlingEvent) PostQuitMessage(0);
}

BOOL CALLBACK CloseMessageBox(HWND window, LPARAM) {
  wchar_t name[16] = L"";
  GetClassNameW(window, name, 16);
  // A box with only OK answers IDOK however it is closed.
  if (lstrcmpW(name, kMessageBoxClass) == 0) PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void RequestQuit() {
  g.quitPending = true;
  if (g.boxOpen) EnumThreadWindows(GetCurrentThreadId(), CloseMessageBox, 0);
  QuitIfPending();
}

// What the background work handed back, applied between events. A handler
// that was running (a message box open) held it back: it comes after each.
void ApplyResults() {
  if (g.player == nullptr) return;
  ApplyBackgroundResults(*g.player);
  QuitIfPending();
}

void Deliver(const ShellEvent& event) {
  if (g.player == nullptr) return;
  if (DeliverEvent(*g.player, event) == Dispatch::Quit) g.quitPending = true;
  QuitIfPending();
  ApplyResults();
}

// The player window, for the workers' wake-ups; null while there is none.
std::atomic<HWND> resultsWindow{nullptr};
std::atomic<bool> resultsWakePending{false};
constexpr UINT kResultsReady = WM_APP + 1;

void SendPointer(PointerKind kind, LPARAM position) {
  // Signed: while the pointer is captured it may be left of or above the window.
  g.lastPointer = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  Deliver({ShellEvent::Kind::Surface, 0, {kind, int(g.lastPointer.x), int(g.lastPointer.y)}});
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

void ShowChanges(HWND window, int x, int y, int width, int height) {
  const RECT changed{x, y, x + width, y + height};
  InvalidateRect(window, &changed, FALSE);
}

// Outer size and place of a window whose client area is width by height,
// centred on the work area of the primary screen.
RECT CentredWindowRect(int width, int height, DWORD style, bool menu) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, menu, 0);
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  const int x = work.left + (work.right - work.left - w) / 2, y = work.top + (work.bottom - work.top - h) / 2;
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
      RequestQuit();  // the window is destroyed at shutdown, not here
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
    case WM_DPICHANGED:
      FitClientArea(window, kMainSurfaceWidth, kMainSurfaceHeight, g.playerSize);
      return 0;
    case WM_COMMAND:
      // From the menu bar (0) or the shortcut (1); not from controls: there are none.
      if (HIWORD(wParam) <= 1) Deliver({ShellEvent::Kind::Menu, int(LOWORD(wParam))});
      return 0;
    case WM_TIMER:
      Deliver({ShellEvent::Kind::Timer, int(wParam)});
      return 0;
    case kResultsReady:
      resultsWakePending.store(false);
      ApplyResults();
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

void DestroyAboutWindow() {
  if (g.aboutWindow != nullptr) {
    const HWND about = g.aboutWindow;
    g.aboutWindow = nullptr;
    DestroyWindow(about);
  }
  DestroySurface(g.aboutSurface);
}

LRESULT CALLBACK AboutWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      if (window == g.aboutWindow) DestroyAboutWindow();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintFrom(window, window == g.aboutWindow ? g.aboutSurface : nullptr);
      return 0;
    case WM_GETMINMAXINFO:
      FixTrackSize(reinterpret_cast<MINMAXINFO*>(lParam), g.aboutSize);
      return 0;
    case WM_DPICHANGED:
      FitClientArea(window, kAboutWidth, kAboutHeight, g.aboutSize);
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
      FitClientArea(window, kPlayedSongsWidth, kPlayedSongsHeight, g.playedSongsSize);
      return 0;
    case WM_LBUTTONDOWN:
      SendPlayedSongs({PlayedSongsInput::Kind::Click, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
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
  const RECT place = CentredWindowRect(kPlayedSongsWidth, kPlayedSongsHeight, kAboutStyle, false);
  g.playedSongsSize = {place.right - place.left, place.bottom - place.top};
  g.playedSongsWindow = CreateWindowExW(0, kPlayedSongsClass, L"Titres diffus\u00E9s", kAboutStyle, place.left,
                                        place.top, place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                                        g.instance, nullptr);
  if (g.playedSongsWindow == nullptr) {
    DestroySurface(g.playedSongsSurface);
    return;
  }
  FitClientArea(g.playedSongsWindow, kPlayedSongsWidth, kPlayedSongsHeight, g.playedSongsSize);
  const HWND played = g.playedSongsWindow;
  SetPresent(*g.playedSongsSurface, [played](int x, int y, int w, int h) { ShowChanges(played, x, y, w, h); });
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

// ---------------------------------------------------------------- menus

void AddMenuItem(HMENU menu, const char* label, int event) {
  AppendMenuW(menu, MF_STRING, UINT_PTR(event), Wide(T(label)));  // no '&' in any text: no mnemonics
}

HMENU AddMenu(HMENU bar, const char* title) {
  HMENU menu = CreatePopupMenu();
  if (menu != nullptr) AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), Wide(T(title)));
  return menu;
}

// Menu 1; nullptr if it cannot be made, and the window goes without.
HMENU BuildMenuBar() {
  HMENU bar = CreateMenu();
  if (bar == nullptr) return nullptr;
  if (HMENU file = AddMenu(bar, "Fichier")) AddMenuItem(file, "Quitter", kMenuQuit);
  if (HMENU station = AddMenu(bar, "Orvelle")) {
    AddMenuItem(station, "Site Orvelle\u2026", kMenuSite);
    AddMenuItem(station, "Podcast", kMenuPodcast);
    AddMenuItem(station, "Top 30", kMenuTop30);
    AddMenuItem(station, "Forum", kMenuForum);
    AppendMenuW(station, MF_SEPARATOR, 0, nullptr);
    AddMenuItem(station, "Titres diffus\u00E9s\u2026", kMenuPlayedSongs);
  }
  if (HMENU view = AddMenu(bar, "Affichage")) {
    for (int32_t mode = 0; mode < kVisualizerModeCount; ++mode) {
      AddMenuItem(view, kVisualizerModes[mode].label, kMenuVisualizerFirst + mode);
    }
  }
  if (HMENU about = AddMenu(bar, "\u00C0 propos")) AddMenuItem(about, "\u00C0 propos de Orvelle\u2026", kMenuAbout);
  return bar;
}

bool OpenPlayerWindow(Player& player) {
  g.player = &player;
  HMENU menu = BuildMenuBar();
  const RECT place = CentredWindowRect(kMainSurfaceWidth, kMainSurfaceHeight, kPlayerStyle, menu != nullptr);
  g.playerSize = {place.right - place.left, place.bottom - place.top};
  g.window = CreateWindowExW(0, kPlayerClass, L"Orvelle Player", kPlayerStyle, place.left, place.top,
                             place.right - place.left, place.bottom - place.top, nullptr, menu, g.instance, nullptr);
  if (g.window == nullptr) {
    if (menu != nullptr) DestroyMenu(menu);
    return false;
  }
  FitClientArea(g.window, kMainSurfaceWidth, kMainSurfaceHeight, g.playerSize);

  // V with no modifier: the accelerator matches only with Shift, Ctrl and Alt up.
  ACCEL shortcuts[] = {{FVIRTKEY, 'V', WORD(kMenuNextVisualizer)}, {FVIRTKEY | FCONTROL, 'C', WORD(kMenuCopySong)}};
  g.shortcut = CreateAcceleratorTableW(shortcuts, 2);

  player.mainSurface = CreateSurface(kMainSurfaceWidth, kMainSurfaceHeight);
  if (player.mainSurface != nullptr) {
    const HWND window = g.window;
    SetPresent(*player.mainSurface, [window](int x, int y, int w, int h) { ShowChanges(window, x, y, w, h); });
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
  SetTimer(g.window, UINT_PTR(kTimerNowPlaying), kNowPlayingIntervalMs, nullptr);
  SetTimer(g.window, UINT_PTR(kTimerAnimation), kAnimationIntervalMs, nullptr);
}

void RunEventLoop(Player&) {
  // Asked while start-up ran: it ends at once.
  if (g.quitPending) return;
  g.looping = true;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The shortcut belongs to the player window: V in the About window is only V.
    if (message.hwnd == g.window && g.shortcut != nullptr && TranslateAcceleratorW(g.window, g.shortcut, &message)) {
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  g.looping = false;
}

void ShowMessageBox(const Text& title, const Text& message) {
  if (g.quitPending) return;  // the user is leaving: nothing to answer any more
  g.boxOpen = true;  // a close request closes it
  // Modal to the player window when there is one; the loop inside it goes
  // on painting, and drops the events it hands the player (DeliverEvent).
  MessageBoxW(g.window, Wide(message), Wide(title), MB_OK | MB_ICONERROR | (g.window ? 0 : MB_SETFOREGROUND));
  g.boxOpen = false;
}

void OpenAboutWindow(Player& player) {
  DestroyAboutWindow();  // a second opening replaces the first
  const RECT place = CentredWindowRect(kAboutWidth, kAboutHeight, kAboutStyle, false);
  g.aboutSize = {place.right - place.left, place.bottom - place.top};
  g.aboutWindow = CreateWindowExW(0, kAboutClass, L"\u00C0 propos de Orvelle", kAboutStyle, place.left, place.top,
                                  place.right - place.left, place.bottom - place.top, nullptr, nullptr, g.instance,
                                  nullptr);
  if (g.aboutWindow == nullptr) return;
  FitClientArea(g.aboutWindow, kAboutWidth, kAboutHeight, g.aboutSize);
  g.aboutSurface = CreateSurface(kAboutWidth, kAboutHeight);
  if (g.aboutSurface != nullptr) {
    const HWND about = g.aboutWindow;
    SetPresent(*g.aboutSurface, [about](int x, int y, int w, int h) { ShowChanges(about, x, y, w, h); });
    DrawAboutWindow(player, *g.aboutSurface);
  }
  ShowWindow(g.aboutWindow, SW_SHOW);
}

void CloseWindows(Player& player) {
  resultsWindow.store(nullptr);
  if (g.window != nullptr) {
    KillTimer(g.window, UINT_PTR(kTimerNowPlaying));
    KillTimer(g.window, UINT_PTR(kTimerAnimation));
  }
  DestroyAboutWindow();
  DestroyPlayedSongsWindow();
  if (g.window != nullptr) {
    DestroyWindow(g.window);  // and its menu bar with it
    g.window = nullptr;
  }
  if (g.shortcut != nullptr) {
    DestroyAcceleratorTable(g.shortcut);
    g.shortcut = nullptr;
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
  return RegisterWindowClass(kPlayerClass, PlayerWindowProc) && RegisterWindowClass(kAboutClass, AboutWindowProc) &&
         RegisterWindowClass(kPlayedSongsClass, PlayedSongsWindowProc);
}

Shell MakeWin32Shell() {
  Shell shell;
  shell.showMessageBox = ShowMessageBox;
  shell.openPlayerWindow = OpenPlayerWindow;
  shell.showFirstFrame = ShowFirstFrame;
  shell.startTimers = StartTimers;
  shell.runEventLoop = RunEventLoop;
  shell.openAboutWindow = OpenAboutWindow;
  shell.openPlayedSongsWindow = OpenPlayedSongsWindow;
  shell.copyText = CopyToClipboard;
  shell.openWebPage = OpenWebPage;
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
