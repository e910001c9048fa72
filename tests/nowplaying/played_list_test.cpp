// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the station's played list: what counts as a song, the order, the
// bound on how many are kept, and what is not a list at all.
#include <gtest/gtest.h>

#include "nowplaying/now_playing.h"
#include "nowplaying/played_list.h"

namespace {

using Songs = std::vector<PlayedSong>;

TEST(PlayedList, KeepsTheWellFormedSongsNewestFirstAndWhatIsNotAListGivesNothing) {
  struct Case {
    std::string page;
    std::optional<Songs> expected;
  } cases[] = {
      {R"([{"playedat":1700000100,"title":"B - Two"},{"playedat":1700000000,"title":"A - One"}])",
       Songs{{1700000100, u"B - Two"}, {1700000000, u"A - One"}}},
      // Out of order on the wire; times as digit strings; the title cleaned as a polled one.
      {R"([{"playedat":"1700000000","title":" A\t- One "},{"playedat":1700000100,"title":"B - Two\r\n"}])",
       Songs{{1700000100, u"B - Two"}, {1700000000, u"A - One"}}},
      // Skipped: not an object, no time, a time that is not a whole plausible one, no title.
      {R"([1,"x",null,[],{"title":"No time"},{"playedat":-5,"title":"N"},{"playedat":0,"title":"Z"},
          {"playedat":1.7e9,"title":"F"},{"playedat":"17e8","title":"S"},{"playedat":99999999999999,"title":"H"},
          {"playedat":true,"title":"T"},{"playedat":1700000000},{"playedat":1700000000,"title":"  "},
          {"playedat":1700000000,"title":42},{"playedat":1700000200,"title":"Kept - Song"}])",
       Songs{{1700000200, u"Kept - Song"}}},
      {"[]", Songs{}},
      // Not a list: no page, no JSON, one object, a string, cut short, nested beyond the bound.
      {"", {}}, {"not json", {}}, {R"({"playedat":1700000000,"title":"A - B"})", {}}, {R"("[]")", {}},
      {R"([{"playedat":1700000000,"title":"A - B"})", {}}, {std::string(100, '[') + std::string(100, ']'), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    EXPECT_EQ(ParsePlayedList(T(c.page)), c.expected);
  }
}

TEST(PlayedList, AListOfHundredsKeepsTheNewestTwentyAndTitlesAreBounded) {
  std::string page = "[";
  for (int i = 0; i < 300; ++i) page += (i ? "," : "") + std::string("{\"playedat\":") + std::to_string(1700000000 + i) + ",\"title\":\"S\"}";
  page += ",{\"playedat\":1600000000,\"title\":\"" + std::string(5000, 'x') + "\"}]";
  const std::optional<Songs> songs = ParsePlayedList(T(page));
  ASSERT_TRUE(songs.has_value());
  ASSERT_EQ(songs->size(), kMaxPlayedSongs);
  EXPECT_EQ(songs->front().playedAtS, 1700000299);
  EXPECT_EQ(songs->back().playedAtS, 1700000280);
  EXPECT_LE(ParsePlayedList(T("[{\"playedat\":1,\"title\":\"" + std::string(5000, 'x') + "\"}]"))->front().title.size(),
            kMaxTitleUnits);
}

}  // namespace
