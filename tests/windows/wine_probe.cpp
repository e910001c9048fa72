// SPDX-License-Identifier: GPL-3.0-or-later
// What the end-to-end tests, driving the Windows player from Linux, cannot
// see from outside Wine; asked from inside the same Wine prefix:
//   wine_probe frame SONG FILE [SCALE]
//                                 the main view as this build paints it for SONG
//                                 when idle, at SCALE (1 unless given): its device
//                                 pixels (800 by 300 at 1) 0x00RRGGBB,
//                                 little-endian, row by row, into FILE
//   wine_probe window TITLE       "WIDTH HEIGHT STYLE" of the top-level window
//                                 with that title: its client area and style bits
//   wine_probe box-text TITLE     the text of the message box with that title
//   wine_probe minimize TITLE     minimizes the top-level window with that title
//   wine_probe restore TITLE      and shows it again; both answer "iconic" or "shown"
//   wine_probe clipboard          the clipboard's CF_UNICODETEXT, in UTF-8
//   wine_probe appcommand TITLE N sends the window WM_APPCOMMAND N, as a keyboard's
//                                 media key does; answers "taken" or "passed on"
//   wine_probe controls TITLE     the children of the window's client area, as a
//                                 screen reader finds them: a line each, "ROLE|NAME|
//                                 pressed or -|VALUE|X,Y,W,H" (ROLE the ROLE_SYSTEM_
//                                 number; where it is in the client area)
//   wine_probe press TITLE NAME   the default action of the child NAME
//   wine_probe set TITLE NAME V   sets the value of the child NAME to V
// Prints its answer on stdout and exits 0, or exits 1 when there is nothing
// to answer (no such window).
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <oleacc.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/fonts.h"
#include "app/frame.h"
#include "app/player_state.h"

namespace {

std::string Utf8(const std::wstring& wide) {
  return TextToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

int Frame(const std::wstring& song, const std::wstring& file, float scale) {
  Player player;
  InitPlayerState(player);
  LoadFonts(player.look.fonts);
  ComputeLayout(player.look.layout, player.playback.volume);
  player.song.currentSong = Utf8ToText(Utf8(song));
  player.mainSurface = CreateSurface(800, 300);
  if (player.mainSurface == nullptr) return 1;
  SetSurfaceScale(*player.mainSurface, scale);
  RenderMainView(player);
  std::vector<uint32_t> pixels;
  const PixelView view = SurfacePixels(*player.mainSurface);
  for (int y = 0; y < view.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(view.data + size_t(y) * size_t(view.stride));
    for (int x = 0; x < view.width; ++x) pixels.push_back(row[x] & 0xFFFFFF);
  }
  DestroySurface(player.mainSurface);
  std::ofstream out(file.c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(pixels.data()), std::streamsize(pixels.size() * 4));
  std::printf("%s\n", out ? "written" : "not written");
  return out ? 0 : 1;
}

int Window(const std::wstring& title) {
  const HWND window = FindWindowW(nullptr, title.c_str());
  if (window == nullptr) return 1;
  RECT client;
  GetClientRect(window, &client);
  std::printf("%ld %ld %lx\n", client.right - client.left, client.bottom - client.top,
              static_cast<unsigned long>(GetWindowLongPtrW(window, GWL_STYLE)));
  return 0;
}

int BoxText(const std::wstring& title) {
  const HWND box = FindWindowW(L"#32770", title.c_str());
  if (box == nullptr) return 1;
  wchar_t text[1024] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 1024);  // a message box's text is its static control 0xFFFF
  std::printf("%s\n", Utf8(text).c_str());
  return 0;
}

// Minimizes or restores a window as its minimize box would; Xvfb has no
// window manager to do it.
int Show(const std::wstring& title, int how) {
  const HWND window = FindWindowW(nullptr, title.c_str());
  if (window == nullptr) return 1;
  ShowWindow(window, how);
  std::printf("%s\n", IsIconic(window) ? "iconic" : "shown");
  return 0;
}

int Clipboard() {
  if (!OpenClipboard(nullptr)) return 1;
  int result = 1;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      std::printf("%s\n", Utf8(text).c_str());
      GlobalUnlock(data);
      result = 0;
    }
  }
  CloseClipboard();
  return result;
}

int AppCommand(const std::wstring& title, const std::wstring& number) {
  const HWND window = FindWindowW(nullptr, title.c_str());
  if (window == nullptr) return 1;
  const LRESULT taken = SendMessageW(window, WM_APPCOMMAND, WPARAM(window), MAKELPARAM(0, _wtoi(number.c_str())));
  std::printf("%s\n", taken ? "taken" : "passed on");
  return 0;
}

std::wstring Take(BSTR text) {
  std::wstring copy = text != nullptr ? text : L"";
  SysFreeString(text);
  return copy;
}

// Calls `visit` with each child of the window's client area as a screen
// reader finds them (the ids of simple elements); false when there is no
// such window or client area.
bool ForEachChild(const std::wstring& title, const std::function<void(HWND, IAccessible&, VARIANT)>& visit) {
  const HWND window = FindWindowW(nullptr, title.c_str());
  IAccessible* client = nullptr;
  if (window == nullptr || FAILED(AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                                             reinterpret_cast<void**>(&client)))) {
    return false;
  }
  LONG count = 0, found = 0;
  client->get_accChildCount(&count);
  std::vector<VARIANT> children(size_t(count > 0 ? count : 0));
  if (count > 0) AccessibleChildren(client, 0, count, children.data(), &found);
  children.resize(size_t(found));
  for (VARIANT& child : children) {
    visit(window, *client, child);
    VariantClear(&child);
  }
  client->Release();
  return true;
}

int Controls(const std::wstring& title) {
  const bool found = ForEachChild(title, [](HWND window, IAccessible& client, VARIANT child) {
    VARIANT role, state;
    BSTR name = nullptr, value = nullptr;
    client.get_accRole(child, &role);
    client.get_accState(child, &state);
    client.get_accName(child, &name);
    client.get_accValue(child, &value);
    const bool pressed = state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_PRESSED) != 0;
    LONG x = 0, y = 0, width = 0, height = 0;
    client.accLocation(&x, &y, &width, &height, child);
    POINT corner{x, y};
    ScreenToClient(window, &corner);
    std::printf("%ld|%s|%s|%s|%ld,%ld,%ld,%ld\n", role.vt == VT_I4 ? long(role.lVal) : -1L,
                Utf8(Take(name)).c_str(), pressed ? "pressed" : "-", Utf8(Take(value)).c_str(), long(corner.x),
                long(corner.y), long(width), long(height));
  });
  return found ? 0 : 1;
}

// Does something to the first child named `name`: its default action, or
// sets its value to `value`; 1 when there is none or it fails.
int ToChild(const std::wstring& title, const std::wstring& name, const std::wstring* value) {
  HRESULT result = E_FAIL;
  const bool found = ForEachChild(title, [&](HWND, IAccessible& client, VARIANT child) {
    BSTR childName = nullptr;
    client.get_accName(child, &childName);
    if (Take(childName) != name || result != E_FAIL) return;
    if (value == nullptr) {
      result = client.accDoDefaultAction(child);
      return;
    }
    BSTR text = SysAllocString(value->c_str());
    result = client.put_accValue(child, text);
    SysFreeString(text);
  });
  if (!found) return 1;
  std::printf("%s\n", SUCCEEDED(result) ? "done" : "failed");
  return SUCCEEDED(result) ? 0 : 1;
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in "\n" alone, as on the Linux side
  // Arguments as Windows holds them, whatever the console's code page.
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::vector<std::wstring> args(arguments, arguments + count);
  LocalFree(arguments);
  int result = 2;
  if ((args.size() == 4 || args.size() == 5) && args[1] == L"frame")
    result = Frame(args[2], args[3], args.size() == 5 ? float(_wtof(args[4].c_str())) : 1.0f);
  if (args.size() == 3 && args[1] == L"window") result = Window(args[2]);
  if (args.size() == 3 && args[1] == L"box-text") result = BoxText(args[2]);
  if (args.size() == 3 && args[1] == L"minimize") result = Show(args[2], SW_MINIMIZE);
  if (args.size() == 3 && args[1] == L"restore") result = Show(args[2], SW_RESTORE);
  if (args.size() == 2 && args[1] == L"clipboard") result = Clipboard();
  if (args.size() == 4 && args[1] == L"appcommand") result = AppCommand(args[2], args[3]);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (args.size() == 3 && args[1] == L"controls") result = Controls(args[2]);
  if (args.size() == 4 && args[1] == L"press") result = ToChild(args[2], args[3], nullptr);
  if (args.size() == 5 && args[1] == L"set") result = ToChild(args[2], args[3], &args[4]);
  if (result == 2)
    std::fprintf(stderr,
                 "usage: wine_probe frame SONG FILE [SCALE] | window TITLE | box-text TITLE | minimize TITLE | "
                 "restore TITLE | clipboard | appcommand TITLE N | controls TITLE | press TITLE NAME | set TITLE NAME V\n");
  std::fflush(stdout);
  return result;
}
