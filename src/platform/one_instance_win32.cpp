// SPDX-License-Identifier: GPL-3.0-or-later
// The claim is a named mutex in the session's namespace: Windows destroys it
// with the last handle, which the process holds until it ends, crash or not.
// A later start finds the player window by its class and brings it forward
// itself: a program just started by the user may take the foreground.
#include <windows.h>

#include "platform/one_instance.h"
#include "platform/win32_shell.h"

namespace {

// A player just started makes its window a moment after it claims.
constexpr DWORD kWindowWaitMs = 10000;
constexpr DWORD kWindowPollMs = 50;

}  // namespace

bool ClaimTheOnlyPlayer() {
  // Never closed: the claim lasts exactly as long as this process.
  const HANDLE claim = CreateMutexW(nullptr, FALSE, L"Local\\OrvellePlayer.OnlyPlayer");
  if (claim == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) return true;  // ours, or none to be had
  CloseHandle(claim);
  for (DWORD waitedMs = 0; waitedMs < kWindowWaitMs; waitedMs += kWindowPollMs) {
    if (const HWND window = FindWindowW(kPlayerWindowClass, nullptr)) {
      if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
      SetForegroundWindow(window);
      return false;
    }
    Sleep(kWindowPollMs);
  }
  // A player that shows no window (a start-up error box): nothing to bring forward.
  return false;
}
