// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/title_text.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
  const char16_t* input;
  const char16_t* artist;
  const char16_t* title;
};

TEST(SplitNowPlaying, FirstSeparatorOnly) {
  const SplitCase cases[] = {
      {u"Blue Sky - Night Song", u"Blue Sky", u"Night Song"},
      {u"  Blue Sky   -  Night Song  ", u"Blue Sky", u"Night Song"},
      {u"Night Song", u"", u"Night Song"},
      {u"  Night Song ", u"", u"  Night Song "},  // no separator: untrimmed
      {u"Blue Sky - Night - Song", u"Blue Sky", u"Night - Song"},
      {u"Blue-Sky", u"", u"Blue-Sky"},
      {u"Blue \u2013 Sky", u"", u"Blue \u2013 Sky"},  // an en dash does not split
      {u" - ", u"", u""},
      {u" - Night Song", u"", u"Night Song"},
      {u"Blue Sky - ", u"Blue Sky", u""},
      {u"", u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.input));
    const ArtistTitle split = SplitNowPlaying(c.input);
    EXPECT_EQ(split.artist, c.artist);
    EXPECT_EQ(split.title, c.title);
  }
}

TEST(NormalizeForSearch, StripsDecorationsInOrder) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"Night Song (Radio Edit)", u"Night Song"},
      {u"Night Song [Live]", u"Night Song"},
      {u"Night Song [Live] (Remix)", u"Night Song"},
      {u"Blue Sky Feat. Red Moon", u"Blue Sky"},
      {u"Blue Sky feat. Red Moon", u"Blue Sky"},
      {u"Blue Sky ft. Red Moon", u"Blue Sky"},
      {u"Blue Sky FT. Red Moon", u"Blue Sky"},
      {u"Blue Sky feat Red Moon", u"Blue Sky feat Red Moon"},
      {u"Blue Sky ft Red Moon", u"Blue Sky ft Red Moon"},
      {u"Blue Sky ft. Red feat. Moon", u"Blue Sky ft. Red"},
      {u"(Intro)", u"(Intro)"},
      {u"  Night    Song  ", u"Night Song"},
      {u"", u""},
      {u"   ", u""},
      {u"Caf\u00E9  \u00C9t\u00E9 (Live)", u"Caf\u00E9 \u00C9t\u00E9"},
      {u"Tab\tstays", u"Tab\tstays"},
  };
  for (const auto& [input, expected] : cases) {
    SCOPED_TRACE(TextToUtf8(input));
    EXPECT_EQ(NormalizeForSearch(input), expected);
  }
}

TEST(UrlEncode, LatinOneByCodeUnitAndUtf8Beyond) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"Blue Sky", u"Blue+Sky"},
      {u"AC/DC & co", u"AC%2FDC+%26+co"},
      {u"Caf\u00E9", u"Caf%E9"},
      {u"artist:\"A\" track:\"B\"", u"artist%3A%22A%22+track%3A%22B%22"},
      {u"-._~*'()\t", u"%2D%2E%5F%7E%2A%27%28%29%09"},
      {u"\u00FF", u"%FF"},
      {u"Don\u2019t", u"Don%E2%80%99t"},        // right single quotation mark
      {u"\u0153uvre", u"%C5%93uvre"},            // oe ligature
      {u"\U0001F508", u"%F0%9F%94%88"},          // a surrogate pair is one character
      {u"a\xD83D" "b", u"a%EF%BF%BDb"},          // lone high surrogate
      {u"\xDD08", u"%EF%BF%BD"},                 // lone low surrogate
      {u"", u""},
  };
  for (const auto& [input, expected] : cases) {
    SCOPED_TRACE(TextToUtf8(expected));
    EXPECT_EQ(UrlEncode(input), expected);
  }
}

}  // namespace
