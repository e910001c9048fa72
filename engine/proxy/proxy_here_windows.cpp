// SPDX-License-Identifier: GPL-3.0-or-later
// The proxy on Windows: the environment's variables where one is set, else
// the user's own settings, read from WinHTTP as Internet Options keep them,
// automatic configuration (WPAD, a PAC script) included. The rules are
// proxy_route.cpp's; this file only reads.
#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <cstdlib>
#include <mutex>

#include "proxy_route.h"

namespace orvelle {
namespace {

// Finding or running a PAC script must not hold a request for long.
constexpr int kAutoProxyTimeoutMs = 5000;
// Where the network offers no automatic configuration, looking for it again
// on every request would cost each one a lookup: it is looked for again
// after this long (a laptop may have moved to a network that offers one).
constexpr auto kAutoDetectRetry = std::chrono::minutes(5);

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
  return wide;
}

// The text of a string WinHTTP allocated, which is then freed.
std::string Take(LPWSTR wide) {
  if (wide == nullptr) return {};
  std::string text;
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length > 1) {
    text.resize(size_t(length - 1));
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
  }
  GlobalFree(wide);
  return text;
}

WindowsProxySettings ReadUserSettings() {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return {};
  WindowsProxySettings settings;
  settings.autoDetect = config.fAutoDetect != FALSE;
  settings.autoConfigUrl = Take(config.lpszAutoConfigUrl);
  settings.proxy = Take(config.lpszProxy);
  settings.bypass = Take(config.lpszProxyBypass);
  return settings;
}

// One session for every lookup: WinHTTP keeps what it found (a script, its
// answers) with it. Never closed: the process's end releases it.
HINTERNET AutoProxySession() {
  static const HINTERNET session = [] {
    const HINTERNET made = WinHttpOpen(L"OrvellePlayer/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0);
    if (made != nullptr)
      WinHttpSetTimeouts(made, kAutoProxyTimeoutMs, kAutoProxyTimeoutMs, kAutoProxyTimeoutMs, kAutoProxyTimeoutMs);
    return made;
  }();
  return session;
}

std::mutex detectMutex;  // guards the one below: the stream and the fetches look up from threads of their own
std::chrono::steady_clock::time_point detectFailedAt{};
bool detectFailed = false;

std::optional<std::string> AutoProxyFor(const std::string& url, const WindowsProxySettings& settings) {
  WINHTTP_AUTOPROXY_OPTIONS options{};
  bool detect = settings.autoDetect;
  if (detect) {
    const std::lock_guard<std::mutex> lock(detectMutex);
    detect = !detectFailed || std::chrono::steady_clock::now() - detectFailedAt >= kAutoDetectRetry;
  }
  if (detect) {
    options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  const std::wstring script = Widen(settings.autoConfigUrl);
  if (!script.empty()) {
    options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = script.c_str();
  }
  const HINTERNET session = AutoProxySession();
  if (options.dwFlags == 0 || session == nullptr) return std::nullopt;
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info{};
  const std::wstring wideUrl = Widen(url);
  if (!WinHttpGetProxyForUrl(session, wideUrl.c_str(), &options, &info)) {
    if (detect && GetLastError() == ERROR_WINHTTP_AUTODETECTION_FAILED) {
      const std::lock_guard<std::mutex> lock(detectMutex);
      detectFailed = true;
      detectFailedAt = std::chrono::steady_clock::now();
    }
    return std::nullopt;
  }
  std::string proxies = Take(info.lpszProxy);
  Take(info.lpszProxyBypass);
  if (info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY) proxies.clear();
  return proxies;
}

}  // namespace

std::string ProxyForUrlHere(const std::string& url) {
  const WindowsProxySettings settings = ReadUserSettings();
  return ChooseProxy(url, std::getenv, settings,
                     [&settings](const std::string& forUrl) { return AutoProxyFor(forUrl, settings); });
}

}  // namespace orvelle
