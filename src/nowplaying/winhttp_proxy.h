// SPDX-License-Identifier: GPL-3.0-or-later
// The proxy of a WinHTTP request: the one the stream takes too, by the rules
// the audio engine keeps (the environment's variables, else the user's own
// settings), where WinHTTP alone would take the machine-wide one.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

// A session whose requests go through the proxy for `url` (the first of a
// transfer), or straight to the server: Wine's WinHTTP takes a proxy only
// when the session is opened. nullptr when WinHTTP has none to give.
HINTERNET OpenSessionWithProxyFor(const wchar_t* userAgent, const std::wstring& url);
// Sends `request`, for `url`, through the proxy for that URL, or straight to
// its server: a redirect may lead to a host with another rule. Wine's
// WinHTTP ignores this, and keeps the session's.
void UseProxyFor(HINTERNET request, const std::wstring& url);
