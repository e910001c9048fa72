// SPDX-License-Identifier: GPL-3.0-or-later
// The station's played list: JSON from the status server, read for the
// songs it played last.
#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "nowplaying/json_text.h"
#include "nowplaying/played_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string page(Bytes(data, size));
  std::vector<std::string> asked;
  const HttpGetFn httpGet = [&](const std::string& url, const FetchBounds& bounds) -> std::optional<std::string> {
    asked.push_back(url);
    Require(bounds.kind == FetchKind::Page, "the played list is fetched as a page");
    return page;
  };
  const std::optional<std::vector<PlayedSong>> songs = FetchPlayedList(httpGet, u"http://station");
  Require(asked == std::vector<std::string>{"http://station/played?sid=1&type=json"}, "one request, for the list");

  const Text text = Utf8ToText(std::string_view(page).substr(0, page.find('\0')));
  const nlohmann::json doc = ParseJson(text);
  Require(songs.has_value() == (!doc.is_discarded() && doc.is_array()), "a list exactly when the page is an array");
  if (!songs) return 0;
  Require(songs->size() <= kMaxPlayedSongs, "at most the bound of songs");
  Require(songs->size() <= doc.size(), "no more songs than elements");
  for (size_t i = 0; i < songs->size(); ++i) {
    const PlayedSong& song = (*songs)[i];
    Require(song.playedAtS > 0, "a time after 1970");
    Require(i == 0 || (*songs)[i - 1].playedAtS >= song.playedAtS, "newest first");
    Require(!song.title.empty(), "no song without a title");
    CheckCleanedTitle(song.title);
  }
  return 0;
}
