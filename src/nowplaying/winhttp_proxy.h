// SPDX-License-Identifier: GPL-3.0-or-later
// The proxy of a WinHTTP request: the one the stream takes too, by the rules
// the audio engine keeps (the environment's variables, else the user's own
// settings), where WinHTTP alone would take the machine-wide one.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

// Sends `request`, for `url`, through that proxy, or straight to its server.
void UseProxyFor(HINTERNET request, const std::wstring& url);
