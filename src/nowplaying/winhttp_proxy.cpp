// SPDX-License-Identifier: GPL-3.0-or-later
#include "nowplaying/winhttp_proxy.h"

#include "os/log.h"
#include "os/wide_text.h"
#include "proxy_route.h"

namespace {

// The proxy for `url` as WinHTTP takes it ("host:port"), or "" for none.
std::wstring ProxyNameFor(const std::wstring& url) {
  const std::string proxy = orvelle::ProxyForUrlHere(NarrowToUtf8(url));
  if (proxy.empty()) return {};
  // "http://[user:password@]host:port" from the rules.
  // FIXME: a user and password given with the proxy are not sent; the
  // proxy then refuses the request, which fails.
  std::string authority = proxy.substr(proxy.find("://") + 3);
  if (const size_t at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
  return WidenUtf8(authority);
}

}  // namespace

HINTERNET OpenSessionWithProxyFor(const wchar_t* userAgent, const std::wstring& url) {
  const std::wstring proxy = ProxyNameFor(url);
  if (proxy.empty()) return WinHttpOpen(userAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, 0);
  return WinHttpOpen(userAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(), WINHTTP_NO_PROXY_BYPASS, 0);
}

void UseProxyFor(HINTERNET request, const std::wstring& url) {
  std::wstring proxy = ProxyNameFor(url);
  WINHTTP_PROXY_INFO info{};
  info.dwAccessType = proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY;
  if (!proxy.empty()) info.lpszProxy = proxy.data();
  if (!WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info))
    LogDiagnostic("cannot set the proxy of a request (error %lu)", GetLastError());
}
