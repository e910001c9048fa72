// SPDX-License-Identifier: GPL-3.0-or-later
// The system's URL handler on Windows: rundll32 with url.dll's
// FileProtocolHandler opens the URL in the default browser.
#include <windows.h>
#include <shellapi.h>

#include "os/log.h"
#include "platform/web_page.h"
#include "text/text.h"

void OpenWebPage(const std::string& url) {
  // The URL goes unchanged between double quotes, neither escaped nor checked.
  const Text parameters = u"url.dll,FileProtocolHandler \"" + T(url) + u"\"";
  const HINSTANCE started = ShellExecuteW(nullptr, nullptr, L"rundll32.exe",
                                          reinterpret_cast<const wchar_t*>(parameters.c_str()), L"", SW_SHOWNORMAL);
  // ShellExecute's answer is an error code up to 32, anything above is success.
  if (reinterpret_cast<INT_PTR>(started) <= 32) {
    LogDiagnostic("cannot start rundll32.exe: error %d", int(reinterpret_cast<INT_PTR>(started)));
  }
}
