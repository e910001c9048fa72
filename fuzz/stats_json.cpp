// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics page: JSON from the stream server, read for its title.
#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "nowplaying/json_text.h"
#include "nowplaying/now_playing.h"

namespace {

size_t Depth(const nlohmann::json& value) {
  size_t deepest = 0;
  if (value.is_array() || value.is_object()) {
    for (const auto& child : value) deepest = std::max(deepest, Depth(child));
    return deepest + 1;
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string page(Bytes(data, size));
  std::vector<std::string> asked;
  const HttpGetFn httpGet = [&](const std::string& url, const FetchBounds& bounds) -> std::optional<std::string> {
    asked.push_back(url);
    Require(bounds.kind == FetchKind::Page, "the statistics page is fetched as a page");
    return page;
  };
  const Text title = FetchStatsTitle(httpGet, u"http://station");
  Require(asked == std::vector<std::string>{"http://station/stats?json=1"}, "one request, for the statistics page");
  CheckCleanedTitle(title);

  // The depth check agrees with the document the parser builds, and never
  // refuses what is within the bound.
  const Text text = Utf8ToText(std::string_view(page).substr(0, page.find('\0')));
  const nlohmann::json plain = nlohmann::json::parse(TextToUtf8(text), nullptr, false);
  const bool within = JsonDepthWithin(text, kMaxJsonDepth);
  if (!plain.is_discarded()) Require(within == (Depth(plain) <= kMaxJsonDepth), "the depth check counts as the parser nests");
  Require(ParseJson(text).is_discarded() == (plain.is_discarded() || !within), "only documents past the bound are refused");
  if (!within) Require(title.empty(), "a document past the bound gives no title");
  return 0;
}
