// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the song on air from the stream server: its JSON statistics page
// first, its plain status pages second.
#pragma once

#include <cstdint>
#include <optional>

#include "nowplaying/http_get.h"
#include "text/text.h"

// The title on air: the statistics page first, the status pages second.
// Empty when neither gives one. Every page asked is to be over by
// `deadlineMs`, when given (FetchText).
Text FetchNowPlaying(const HttpGetFn& httpGet, const Text& serverBase, std::optional<uint32_t> deadlineMs = {});

// "songtitle" or "song" of serverBase + "/stats?json=1", at its root or in
// its first "streams" element; cleaned.
Text FetchStatsTitle(const HttpGetFn& httpGet, const Text& serverBase, std::optional<uint32_t> deadlineMs = {});

// The sixth comma-separated field of "/7.html" (then "/7.html?sid=1"), or
// the StreamTitle='…'; tag of the last page read; cleaned.
Text FetchStatusPageTitle(const HttpGetFn& httpGet, const Text& serverBase, std::optional<uint32_t> deadlineMs = {});

// No real title comes near this; a server may send one as long as its page,
// and every frame and every search works on the title it keeps.
constexpr size_t kMaxTitleUnits = 1024;

// The text up to its first NUL, if any; there CR LF pairs and tabs become
// spaces; spaces are trimmed at both ends; what is left is cut to
// kMaxTitleUnits (never between the halves of a surrogate pair) and trimmed
// again.
Text CleanTitle(const Text& text);
