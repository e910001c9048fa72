// SPDX-License-Identifier: GPL-3.0-or-later
// The status pages, plain text or an HTML document: "/7.html", then
// "/7.html?sid=1" (the input's two parts).
#include "fuzz_support.h"
#include "nowplaying/now_playing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = SplitParts(Bytes(data, size), 2);
  std::vector<std::string> asked;
  const HttpGetFn httpGet = [&](const std::string& url, const FetchBounds& bounds) -> std::optional<std::string> {
    asked.push_back(url);
    Require(bounds.kind == FetchKind::Page, "a status page is fetched as a page");
    return PageOf(url.find("sid=1") == std::string::npos ? parts[0] : parts[1]);
  };
  const Text title = FetchStatusPageTitle(httpGet, u"http://station");
  const std::vector<std::string> order = {"http://station/7.html", "http://station/7.html?sid=1"};
  Require(!asked.empty() && asked.size() <= 2 && std::equal(asked.begin(), asked.end(), order.begin()),
          "the first page, then perhaps the second, nothing else");
  const std::optional<std::string> first = PageOf(parts[0]);
  if (!first || first->empty() || first->front() == '\0') Require(asked.size() == 1, "no second page after a failed or empty first");
  CheckCleanedTitle(title);
  return 0;
}
