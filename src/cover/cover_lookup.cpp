// SPDX-License-Identifier: GPL-3.0-or-later
#include "cover/cover_lookup.h"

#include "text/title_text.h"
#include "nowplaying/fetch_text.h"
#include "nowplaying/json_text.h"
#include "os/log.h"

namespace {

// "artworkUrl100" of the first result, pointing at the 600 by 600 rendition.
Text AskItunes(const HttpGetFn& httpGet, const std::string& base, const Text& artist, const Text& title,
               std::optional<uint32_t> deadlineMs) {
  const Text url = T(base) + u"/search?term=" + UrlEncode(artist + u" " + title) +
                   u"&media=music&entity=song&limit=1";
  const std::optional<Text> answer = FetchText(httpGet, url, deadlineMs);
  if (!answer || answer->empty()) return {};
  const nlohmann::json doc = ParseJson(*answer);
  const nlohmann::json* first = doc.is_discarded() ? nullptr : JsonFirstElement(doc, "results");
  if (first == nullptr) return {};
  Text artwork = JsonStringMember(*first, "artworkUrl100");
  static constexpr std::u16string_view kSmall = u"100x100";
  for (size_t at = artwork.find(kSmall); at != Text::npos; at = artwork.find(kSmall, at + kSmall.size()))
    artwork.replace(at, kSmall.size(), u"600x600");
  return artwork;
}

// "cover_xl" of the first result's album, or its "cover_big", unchanged.
Text AskDeezer(const HttpGetFn& httpGet, const std::string& base, const Text& artist, const Text& title,
               std::optional<uint32_t> deadlineMs) {
  const Text query = u"artist:\"" + artist + u"\" track:\"" + title + u"\"";
  const Text url = T(base) + u"/search?q=" + UrlEncode(query) + u"&limit=1";
  const std::optional<Text> answer = FetchText(httpGet, url, deadlineMs);
  if (!answer || answer->empty()) return {};
  const nlohmann::json doc = ParseJson(*answer);
  const nlohmann::json* first = doc.is_discarded() ? nullptr : JsonFirstElement(doc, "data");
  const nlohmann::json* album = first == nullptr ? nullptr : JsonMember(*first, "album");
  if (album == nullptr) return {};
  Text cover = JsonStringMember(*album, "cover_xl");
  if (cover.empty()) cover = JsonStringMember(*album, "cover_big");
  return cover;
}

}  // namespace

Text LookupCoverUrl(const HttpGetFn& httpGet, const CoverServices& services, const Text& artist, const Text& title,
                    std::optional<uint32_t> deadlineMs) {
  const Text a = NormalizeForSearch(artist);
  const Text t = NormalizeForSearch(title);
  Text url = AskItunes(httpGet, services.itunesBase, a, t, deadlineMs);
  if (url.empty()) url = AskDeezer(httpGet, services.deezerBase, a, t, deadlineMs);
  if (url.empty()) LogDiagnostic("cover lookup found nothing for %s - %s", TextToUtf8(a).c_str(), TextToUtf8(t).c_str());
  return url;
}
