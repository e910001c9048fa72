// SPDX-License-Identifier: GPL-3.0-or-later
// The text pages of the stream server: statistics in JSON, the short status
// page, the station's web pages and the test-only "/now" page.
#pragma once

#include <string>
#include <vector>

#include "playlist.h"

namespace station {

struct ServerFigures {
  std::string songTitle;  // "Artist - Title" on air
  int currentListeners = 0;
  int peakListeners = 0;
  int maxListeners = 0;
  int uniqueListeners = 0;
  int bitrateKbps = 128;
  int sampleRateHz = 44100;
  long long uptimeSeconds = 0;
  long long streamHits = 0;
};

// "/stats?json=1": the totals at the root (with the title, as a single-
// stream server reports it) and the one stream in "streams".
std::string StatsJson(const ServerFigures& f);

// "/7.html": current listeners, stream status, peak, maximum, unique
// listeners, bitrate and title, comma-separated in a bare HTML body.
std::string SevenHtml(const ServerFigures& f);

// The station's own web pages: "/", "/top30.htm", "/podcast/", "/forum/";
// empty for any other path.
std::string StationWebPage(const std::string& path, const std::vector<Song>& songs);

// For tests: the song on air and how long it stays.
struct OnAirState {
  int index = 0;
  long long elapsedMs = 0;
  long long remainingMs = 0;
  long long songMs = 0;
};
std::string NowJson(const std::vector<Song>& songs, const OnAirState& state);

// "/played?sid=1&type=json": the songs played last, newest first, each with
// the Unix time it began and its "Artist - Title".
struct PlayedEntry {
  long long playedAtS = 0;
  int index = 0;
};
std::string PlayedJson(const std::vector<Song>& songs, const std::vector<PlayedEntry>& played);

// The whole playlist with its covers, for tests that want to know what to
// expect without copying the table.
std::string PlaylistJson(const std::vector<Song>& songs);

std::string HtmlEscape(const std::string& text);

}  // namespace station
