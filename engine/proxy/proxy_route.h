// SPDX-License-Identifier: GPL-3.0-or-later
// Which proxy a request goes through, written once for the stream and the
// player's own requests, so that all of them take the same road. On Linux
// the player's requests go through libcurl, which reads the proxy from the
// environment, and the stream follows libcurl's rules. On Windows the same
// variables come first where one is set, and the user's own proxy settings
// otherwise. Pure rules: the environment and the settings are read through
// the caller's lookups; ProxyForUrlHere reads the system's.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace orvelle {

// One environment variable's value; null when it is not set.
using EnvLookup = std::function<const char*(const char* name)>;

// "http://[user:password@]host:port" for an http or https `url`, or "" to
// connect directly. As libcurl: the scheme's variable (http_proxy for http;
// https_proxy, then HTTPS_PROXY, for https), else all_proxy or ALL_PROXY; a
// proxy given without scheme is an http one, without port on 1080; none for
// a host in no_proxy (else NO_PROXY). A variable set to "" counts as unset.
// FIXME: libav speaks only to http proxies; with a socks or https one the
// stream connects directly where libcurl would use it. libav also reads
// no_proxy (not NO_PROXY) itself and goes direct for three kinds of entry
// that libcurl ignores: "*" inside a list, "*.example.org", and the end of an
// address ("0.0.1" for 127.0.0.1).
std::string ProxyForUrl(const std::string& url, const EnvLookup& lookup);

// Whether `host` (a name, or an address without brackets) is in the no_proxy
// list `list`, by libcurl's rules: "*" alone matches every host; an entry
// matches a name and the names below it, case aside, and an IPv4 address by
// equality or as a network ("10.0.0.0/8"); entries are separated by commas or
// blanks, and a dot before or after one does not count.
bool HostIsInNoProxyList(const std::string& host, const std::string& list);

// A Windows user's proxy settings, as Internet Options keep them.
struct WindowsProxySettings {
  bool autoDetect = false;    // "Automatically detect settings" (WPAD)
  std::string autoConfigUrl;  // "Use automatic configuration script" (a PAC file)
  std::string proxy;          // "host:port", or per scheme "http=host:port;https=host:port"
  std::string bypass;         // "<local>;*.example.org;10.*"
};

// What automatic configuration answers for a URL: a list of proxies as
// WinHTTP gives it ("host:port;other:port"), "" to go direct, or nothing
// when there is no answer to be had (no script found, a script that fails).
using AutoProxyLookup = std::function<std::optional<std::string>(const std::string& url)>;

// The environment's variables alone where any of them names a proxy (as
// ProxyForUrl); else the answer of automatic configuration, where it is
// set and gives one; else the user's proxy for the URL's scheme, unless its
// host is in the bypass list; else "" (direct). As WinHTTP and the browsers
// read the settings: the proxy of the scheme, else one given for all;
// without port on 80; socks proxies are not taken (neither the stream nor
// WinHTTP speaks to them).
std::string ChooseProxy(const std::string& url, const EnvLookup& lookup, const WindowsProxySettings& settings,
                        const AutoProxyLookup& autoProxy);

// "http://host:port" for `scheme` ("http" or "https") from a proxy list as
// above, or "" when it names none for that scheme.
std::string ProxyFromList(const std::string& list, const std::string& scheme);

// Whether `host` is in a bypass list: entries separated by ";", each a host,
// with "*" for any run of characters ("*.example.org", "10.*"), or
// "<local>", any host without a dot; case aside.
bool HostIsInBypassList(const std::string& host, const std::string& list);

// The proxy this system gives for `url`: the environment's on Linux, and on
// Windows also the user's settings (proxy_here_windows.cpp).
std::string ProxyForUrlHere(const std::string& url);

}  // namespace orvelle
