// SPDX-License-Identifier: GPL-3.0-or-later
// Text fetches and the cache-busting query, built on the HttpGet seam.
#pragma once

#include <cstdint>
#include <optional>

#include "nowplaying/http_get.h"
#include "text/text.h"

// GET of `url` through `httpGet`, as a page (a status page or a search
// answer) to be over by `deadlineMs` if given; the body decoded as UTF-8 up
// to its first zero byte (malformed sequences become U+FFFD). Nothing on a
// failed transfer (or when no HttpGet is wired).
std::optional<Text> FetchText(const HttpGetFn& httpGet, const Text& url, std::optional<uint32_t> deadlineMs = {});

// `url` with "?cb=" (or "&cb=" when it already has a query), the local time
// in seconds since 1970 and a random 0..999999 written right after it.
Text AddCacheBuster(const Text& url);

// The same with the time and the random number given.
Text AddCacheBusterWith(const Text& url, int64_t localSeconds, uint32_t random);
