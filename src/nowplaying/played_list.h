// SPDX-License-Identifier: GPL-3.0-or-later
// The station's list of the songs it played last, as its status server
// keeps it: a JSON array of objects, each with "playedat" (Unix seconds)
// and "title" ("Artist - Title").
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "nowplaying/http_get.h"
#include "text/text.h"

struct PlayedSong {
  int64_t playedAtS = 0;  // Unix seconds
  Text title;             // cleaned as a polled title is

  bool operator==(const PlayedSong&) const = default;
};

// The history shows no more; a server may list hundreds.
constexpr size_t kMaxPlayedSongs = 20;

// The newest kMaxPlayedSongs songs of a played list, newest first. An element
// that is not an object, has no whole "playedat" of a plausible time (a
// number or a string of digits), or whose title is empty once cleaned, is
// skipped. Nothing when the text is not JSON (or nests too deep) or its root
// is not an array. Never throws.
std::optional<std::vector<PlayedSong>> ParsePlayedList(const Text& page);

// serverBase + "/played?sid=1&type=json", fetched as a page (its size and
// time bounds) to be over by `deadlineMs`, and parsed. Nothing on a failed
// transfer or an answer that is not a played list.
std::optional<std::vector<PlayedSong>> FetchPlayedList(const HttpGetFn& httpGet, const Text& serverBase,
                                                      std::optional<uint32_t> deadlineMs = {});
