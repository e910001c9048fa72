// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a cover picture's address: the first search service, then the second.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "nowplaying/http_get.h"
#include "text/text.h"

// Where the two search services answer: scheme://host[:port] each.
struct CoverServices {
  std::string itunesBase;
  std::string deezerBase;
};

// The URL of a cover for `artist` and `title` (as SplitNowPlaying gives them,
// normalised here), or the empty text. Asks the first service and, only when
// that gives nothing, the second, each to be over by `deadlineMs` if given;
// keeps nothing between calls.
Text LookupCoverUrl(const HttpGetFn& httpGet, const CoverServices& services, const Text& artist, const Text& title,
                    std::optional<uint32_t> deadlineMs = {});
