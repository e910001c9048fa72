// SPDX-License-Identifier: GPL-3.0-or-later
// The two search services' answers, with the HTTP function as the seam: the
// input's parts are the artist, the title, the first service's answer and
// the second's ("<fail>" for a failed transfer).
#include "cover/cover_lookup.h"
#include "fuzz_support.h"
#include "text/title_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = SplitParts(Bytes(data, size), 4);
  const Text artist = Utf8ToText(parts[0]), title = Utf8ToText(parts[1]);
  std::vector<std::string> asked;
  const HttpGetFn httpGet = [&](const std::string& url, const FetchBounds& bounds) -> std::optional<std::string> {
    asked.push_back(url);
    Require(bounds.kind == FetchKind::Page && bounds.deadlineMs == 30000u, "answers are pages, within the deadline");
    return PageOf(url.rfind("http://first/", 0) == 0 ? parts[2] : parts[3]);
  };
  const Text url = LookupCoverUrl(httpGet, {"http://first", "http://second"}, artist, title, 30000u);

  const std::string a = TextToUtf8(UrlEncode(NormalizeForSearch(artist) + u" " + NormalizeForSearch(title)));
  Require(!asked.empty() && asked[0] == "http://first/search?term=" + a + "&media=music&entity=song&limit=1",
          "the first service is asked first, with the normalised, encoded term");
  Require(asked.size() <= 2, "two requests at most");
  for (const std::string& request : asked) {
    for (char c : request) Require(c > ' ' && c < 127 && c != '#', "a request is printable ASCII without #");
  }
  if (asked.size() == 1) {
    Require(!url.empty(), "the second service is asked whenever the first gives nothing");
    Require(url.find(u"100x100") == Text::npos, "every 100x100 of the first service's address is replaced");
  } else {
    Require(asked[1].rfind("http://second/search?q=", 0) == 0 && asked[1].size() >= 8 &&
                asked[1].compare(asked[1].size() - 8, 8, "&limit=1") == 0,
            "the second service's request");
  }
  return 0;
}
