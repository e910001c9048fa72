// SPDX-License-Identifier: GPL-3.0-or-later
#include "nowplaying/played_list.h"

#include <algorithm>

#include "nowplaying/fetch_text.h"
#include "nowplaying/json_text.h"
#include "nowplaying/now_playing.h"
#include "os/log.h"

namespace {

// From 1970 to the year 3000: anything else is not a time a server meant.
constexpr int64_t kLatestPlausibleS = 32503680000;

std::optional<int64_t> PlayedAt(const nlohmann::json& song) {
  const nlohmann::json* at = JsonMember(song, "playedat");
  if (at == nullptr) return std::nullopt;
  int64_t seconds = -1;
  if (at->is_number_unsigned()) {
    seconds = int64_t(std::min<uint64_t>(at->get<uint64_t>(), uint64_t(kLatestPlausibleS) + 1));
  } else if (at->is_number_integer()) {
    seconds = at->get<int64_t>();
  } else if (at->is_string()) {
    const std::string& digits = at->get_ref<const std::string&>();
    if (digits.empty() || digits.size() > 12) return std::nullopt;
    seconds = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      seconds = seconds * 10 + (c - '0');
    }
  }
  if (seconds <= 0 || seconds > kLatestPlausibleS) return std::nullopt;
  return seconds;
}

}  // namespace

std::optional<std::vector<PlayedSong>> ParsePlayedList(const Text& page) {
  const nlohmann::json doc = ParseJson(page);
  if (doc.is_discarded() || !doc.is_array()) return std::nullopt;
  std::vector<PlayedSong> songs;
  for (const nlohmann::json& element : doc) {
    const std::optional<int64_t> playedAtS = PlayedAt(element);
    if (!playedAtS) continue;
    Text title = CleanTitle(JsonStringMember(element, "title"));
    if (title.empty()) continue;
    songs.push_back({*playedAtS, std::move(title)});
  }
  // Servers list newest first, but nothing says so: the order is made here.
  std::stable_sort(songs.begin(), songs.end(),
                   [](const PlayedSong& a, const PlayedSong& b) { return a.playedAtS > b.playedAtS; });
  if (songs.size() > kMaxPlayedSongs) songs.resize(kMaxPlayedSongs);
  return songs;
}

std::optional<std::vector<PlayedSong>> FetchPlayedList(const HttpGetFn& httpGet, const Text& serverBase,
                                                      std::optional<uint32_t> deadlineMs) {
  const std::optional<Text> page = FetchText(httpGet, serverBase + u"/played?sid=1&type=json", deadlineMs);
  if (!page) return std::nullopt;
  std::optional<std::vector<PlayedSong>> songs = ParsePlayedList(*page);
  if (!songs) LogDiagnostic("the played list of %s is not one", TextToUtf8(serverBase).c_str());
  return songs;
}
