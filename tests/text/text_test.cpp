// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, Utf8DecodingReplacesMalformedSequences) {
  const std::pair<std::string, Text> cases[] = {
      {"Caf\xC3\xA9", u"Caf\u00E9"},
      {"\xF0\x9F\x94\x88", u"\U0001F508"},
      {"a\xFF" "b", u"a\uFFFDb"},          // invalid byte
      {"a\xC3", u"a\uFFFD"},               // truncated at the end
      {"a\xE2\x82" "b", u"a\uFFFDb"},      // truncated in the middle
      {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong: C0 is never valid
      {"\xED\xA0\x80", u"\uFFFD"},         // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},     // beyond U+10FFFF
  };
  for (const auto& [utf8, text] : cases) {
    SCOPED_TRACE(utf8);
    EXPECT_EQ(Utf8ToText(utf8), text);
  }
}

TEST(Text, Utf8EncodingReplacesLoneSurrogates) {
  EXPECT_EQ(TextToUtf8(u"\u00E0 \U0001F508"), "\xC3\xA0 \xF0\x9F\x94\x88");
  EXPECT_EQ(TextToUtf8(std::u16string(1, char16_t(0xD83D))), "\xEF\xBF\xBD");
  EXPECT_EQ(TextToUtf8(std::u16string{char16_t(0xDD08), u'x'}), "\xEF\xBF\xBDx");
}

TEST(Text, TrimOnlyRemovesSpaces) {
  EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
  EXPECT_EQ(TrimSpaces(u"\ta\u00A0"), u"\ta\u00A0");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
}

}  // namespace
