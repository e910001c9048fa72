// SPDX-License-Identifier: GPL-3.0-or-later
#include "nowplaying/fetch_text.h"

#include <random>
#include <string>

#include "os/os.h"

namespace {

uint32_t RandomBelowMillion() {
  static std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<uint32_t>(0, 999999)(generator);
}

}  // namespace

std::optional<Text> FetchText(const HttpGetFn& httpGet, const Text& url, std::optional<uint32_t> deadlineMs) {
  if (!httpGet) return std::nullopt;
  const std::optional<std::string> body = httpGet(TextToUtf8(url), FetchBounds{FetchKind::Page, deadlineMs});
  if (!body) return std::nullopt;
  const size_t zero = body->find('\0');
  return Utf8ToText(std::string_view(*body).substr(0, zero));
}

Text AddCacheBuster(const Text& url) { return AddCacheBusterWith(url, LocalSecondsSince1970(), RandomBelowMillion()); }

Text AddCacheBusterWith(const Text& url, int64_t localSeconds, uint32_t random) {
  const char16_t* separator = url.find(u'?') == Text::npos ? u"?" : u"&";
  return url + separator + u"cb=" + T(std::to_string(localSeconds) + std::to_string(random));
}
