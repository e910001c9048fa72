// SPDX-License-Identifier: GPL-3.0-or-later
// Which proxy a stream goes through. The player's status and cover requests
// go through libcurl, which reads the proxy from the environment; the stream
// follows the same rules so that all of them take the same road. Pure rules:
// the environment is read through the caller's lookup.
#pragma once

#include <functional>
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

}  // namespace orvelle
