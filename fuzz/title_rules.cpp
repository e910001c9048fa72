// SPDX-License-Identifier: GPL-3.0-or-later
// The title rules on any text, decoded from UTF-8 or raw UTF-16 with lone
// surrogates: the split, the clean-up for a search, the query encoding, the
// poll's cleaning and its cut.
#include "fuzz_support.h"
#include "nowplaying/now_playing.h"
#include "text/title_text.h"

namespace {

bool Trimmed(const Text& t) { return t.empty() || (t.front() != u' ' && t.back() != u' '); }

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;  // lower case is not written
}

// The bytes a search service reads from the query: "+" a space, "%XX" a byte.
std::string DecodeQuery(const Text& encoded) {
  std::string bytes;
  for (size_t i = 0; i < encoded.size(); ++i) {
    const char16_t c = encoded[i];
    Require((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'+' || c == u'%',
            "the query holds letters, digits, + and % only: no space, &, = or #");
    if (c == u'+') {
      bytes += ' ';
    } else if (c == u'%') {
      const int high = i + 1 < encoded.size() ? HexValue(encoded[i + 1]) : -1;
      const int low = i + 2 < encoded.size() ? HexValue(encoded[i + 2]) : -1;
      Require(high >= 0 && low >= 0, "% is followed by two upper-case hexadecimal digits");
      bytes += char(high << 4 | low);
      i += 2;
    } else {
      bytes += char(c);
    }
  }
  return bytes;
}

// What the encoder means to send: Latin-1 code units as their byte, the rest
// as UTF-8 (a lone surrogate as U+FFFD).
std::string QueryBytes(const Text& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] <= 0xFF) {
      bytes += char(text[i]);
    } else {
      const bool pair = IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
      bytes += TextToUtf8(std::u16string_view(text).substr(i, pair ? 2 : 1));
      if (pair) ++i;
    }
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text text = TextFromInput(Bytes(data, size));
  const bool lone = HasLoneSurrogate(text);

  const ArtistTitle split = SplitNowPlaying(text);
  if (text.find(u" - ") == Text::npos) {
    Require(split.artist.empty() && split.title == text, "without the separator, the whole text is the title");
  } else {
    Require(Trimmed(split.artist) && Trimmed(split.title), "both sides of the separator are trimmed");
    Require(split.artist.find(u" - ") == Text::npos, "the first separator splits");
    Require(split.artist.size() + split.title.size() + 3 <= text.size(), "the parts come from the text");
  }

  const Text normal = NormalizeForSearch(text);
  Require(normal.find(u"  ") == Text::npos, "no double space is left");
  Require(Trimmed(normal), "a normalised text is trimmed");
  Require(normal.find(u" (") == Text::npos && normal.find(u" [") == Text::npos, "no bracketed tail is left");
  const Text upper = UpperCaseAscii(normal);
  Require(upper.find(u" FEAT.") == Text::npos, "no featured-artist tail is left");
  // (" FEAT." wins over an earlier " FT.", which then stays.)
  if (upper.find(u" FT.") != Text::npos) Require(UpperCaseAscii(text).find(u" FEAT.") != Text::npos, "nor a \" ft.\" one");
  if (upper.find(u" FT.") == Text::npos) Require(NormalizeForSearch(normal) == normal, "normalising twice changes nothing");
  Require(normal.size() <= text.size(), "normalising never adds");

  Require(DecodeQuery(UrlEncode(text)) == QueryBytes(text), "the query carries the text's bytes");

  CheckCleanedTitle(CleanTitle(text), lone);
  const size_t cut = size % (text.size() + 2);
  const Text prefix = CutToUnits(text, cut);
  Require(text.compare(0, prefix.size(), prefix) == 0, "a cut keeps a prefix");
  Require(prefix.size() == std::min(cut, text.size()) || prefix.size() + 1 == cut, "a cut drops one unit at most");
  if (!prefix.empty() && prefix.size() < text.size()) {
    Require(!(IsHighSurrogate(prefix.back()) && IsLowSurrogate(text[prefix.size()])), "a cut never splits a pair");
  }
  return 0;
}
