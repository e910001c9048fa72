// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/title_text.h"

#include <algorithm>

namespace {

// Keeps the part of `text` before the first `marker` (found in `search`,
// an equally long copy used for case-insensitive matching), trimmed.
bool CutAt(Text& text, const Text& search, std::u16string_view marker) {
  const size_t at = search.find(marker);
  if (at == Text::npos) return false;
  text = TrimSpaces(std::u16string_view(text).substr(0, at));
  return true;
}

void AppendPercent(Text& out, unsigned byte) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  out.push_back(u'%');
  out.push_back(kHex[(byte >> 4) & 0xF]);
  out.push_back(kHex[byte & 0xF]);
}

}  // namespace

ArtistTitle SplitNowPlaying(const Text& nowPlaying) {
  const size_t at = nowPlaying.find(u" - ");
  if (at == Text::npos) return {Text(), nowPlaying};
  return {TrimSpaces(std::u16string_view(nowPlaying).substr(0, at)),
          TrimSpaces(std::u16string_view(nowPlaying).substr(at + 3))};
}

Text NormalizeForSearch(const Text& input) {
  Text text = TrimSpaces(input);
  CutAt(text, text, u" (");
  CutAt(text, text, u" [");
  // " FEAT." wins over " FT." even when the latter comes first.
  const Text upper = UpperCaseAscii(text);
  if (!CutAt(text, upper, u" FEAT.")) CutAt(text, upper, u" FT.");
  // Every run of spaces becomes one space, in a single pass: a status page
  // may hand over megabytes of them.
  const auto twoSpaces = [](char16_t a, char16_t b) { return a == u' ' && b == u' '; };
  text.erase(std::unique(text.begin(), text.end(), twoSpaces), text.end());
  return text;
}

Text UrlEncode(const Text& text) {
  Text out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) {
      out.push_back(c);
    } else if (c == u' ') {
      out.push_back(u'+');
    } else if (c <= 0xFF) {
      AppendPercent(out, c);
    } else {
      // Beyond Latin-1 a search service expects UTF-8; a valid surrogate
      // pair is one character, a lone half becomes U+FFFD.
      const bool pair = IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
      const std::string utf8 = TextToUtf8(std::u16string_view(text).substr(i, pair ? 2 : 1));
      for (unsigned char byte : utf8) AppendPercent(out, byte);
      if (pair) ++i;
    }
  }
  return out;
}
