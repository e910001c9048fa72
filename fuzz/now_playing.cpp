// SPDX-License-Identifier: GPL-3.0-or-later
// The whole now-playing read: the statistics page, then the two status pages
// (the input's three parts; "<fail>" for a failed transfer).
#include "fuzz_support.h"
#include "nowplaying/now_playing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = SplitParts(Bytes(data, size), 3);
  std::vector<std::string> asked;
  const HttpGetFn httpGet = [&](const std::string& url, const FetchBounds& bounds) -> std::optional<std::string> {
    asked.push_back(url);
    Require(bounds.kind == FetchKind::Page && bounds.deadlineMs == 30000u, "pages, within the poll's deadline");
    if (url.find("/stats") != std::string::npos) return PageOf(parts[0]);
    return PageOf(url.find("sid=1") == std::string::npos ? parts[1] : parts[2]);
  };
  const Text title = FetchNowPlaying(httpGet, u"http://station", 30000u);
  const std::vector<std::string> order = {"http://station/stats?json=1", "http://station/7.html",
                                          "http://station/7.html?sid=1"};
  Require(!asked.empty() && asked.size() <= 3 && std::equal(asked.begin(), asked.end(), order.begin()),
          "the statistics page, then perhaps the status pages, in order");
  CheckCleanedTitle(title);
  // The statistics page alone decides when it has a title.
  const HttpGetFn stats = [&](const std::string&, const FetchBounds&) { return PageOf(parts[0]); };
  const Text statsTitle = FetchStatsTitle(stats, u"http://station");
  if (!statsTitle.empty()) Require(title == statsTitle && asked.size() == 1, "a title on the statistics page ends the read");
  return 0;
}
