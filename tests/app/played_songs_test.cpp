// SPDX-License-Identifier: GPL-3.0-or-later
// The played-songs window: how the poll's songs and the station's list make
// its rows, and what the listener's clicks, keys and wheel do. The network
// is an in-process fake and both clocks are set by the test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <tuple>

#include "app/commands.h"
#include "app/fonts.h"
#include "app/played_songs.h"
#include "fake_network.h"
#include "app/poll.h"
#include "cover/test_pictures.h"
#include "display/played_songs_view.h"

namespace {

constexpr int64_t kT0 = 1700000000;  // 22:13:20 UTC

// A row's time from kT0, title, whether only the station's list has it, and whether it has a cover.
using Row = std::tuple<int64_t, std::u16string, bool, bool>;

std::vector<Row> Rows(const std::vector<HistoryRow>& rows) {
  std::vector<Row> out;
  for (const HistoryRow& r : rows) out.push_back({r.timeS - kT0, r.title, r.stationOnly, r.cover != nullptr});
  return out;
}

TEST(SongHistoryMerge, SamePlayingMergesOnTitleAndTime) {
  const Thumbnail cover = std::make_shared<Picture>();
  struct Case {
    const char* what;
    std::vector<StationSong> station;  // newest first, times from kT0
    std::vector<SeenSong> seen;        // oldest first
    std::vector<Row> expected;
  } cases[] = {
      {"seen 30 s late: one row, the station's time, the poll's cover",
       {{200, u"B"}, {0, u"A"}}, {{30, u"A", cover}},
       {{200, u"B", true, false}, {0, u"A", false, true}}},
      {"started in the middle of a song: seen 300 s into it, before the next",
       {{400, u"B"}, {0, u"A"}}, {{300, u"A", nullptr}},
       {{400, u"B", true, false}, {0, u"A", false, false}}},
      {"seen long after the next song began: another airing",
       {{200, u"B"}, {0, u"A"}}, {{400, u"A", nullptr}},
       {{400, u"A", false, false}, {200, u"B", true, false}, {0, u"A", true, false}}},
      {"seen more than 2 minutes before the station's time",
       {{0, u"A"}}, {{-200, u"A", nullptr}},
       {{0, u"A", true, false}, {-200, u"A", false, false}}},
      {"another title at the same time", {{0, u"A"}}, {{10, u"C", nullptr}},
       {{10, u"C", false, false}, {0, u"A", true, false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongHistory history;
    for (StationSong s : c.station) history.station.push_back({kT0 + s.playedAtS, s.title});
    for (SeenSong s : c.seen) history.seen.push_back({kT0 + s.seenAtS, s.title, s.cover});
    history.stationAsOfS = kT0 + 500;
    EXPECT_EQ(Rows(MergeHistory(history)), c.expected);
  }
}

TEST(SongHistoryMerge, KeepsTheNewestTwentyOfEachAndOfTheRows) {
  SongHistory history;
  for (int i = 0; i < 30; ++i) NoteSeenSong(history, kT0 + 1000 + i, T("seen " + std::to_string(i)));
  for (int i = 19; i >= 0; --i) history.station.push_back({kT0 + i, T("station " + std::to_string(i))});
  EXPECT_EQ(history.seen.size(), kMaxHistoryRows);
  const std::vector<HistoryRow> rows = MergeHistory(history);
  ASSERT_EQ(rows.size(), kMaxHistoryRows);
  EXPECT_EQ(rows.front().title, u"seen 29");
  EXPECT_EQ(rows.back().title, u"seen 10");

  CoverAnswers answers;
  for (int i = 0; i < 25; ++i) KeepCoverAnswer(answers, T(std::to_string(i)), nullptr);
  EXPECT_EQ(answers.size(), kMaxHistoryRows);
  EXPECT_EQ(FindCoverAnswer(answers, u"4"), nullptr);
  EXPECT_NE(FindCoverAnswer(answers, u"5"), nullptr);
}

std::string PlayedJson(const std::vector<std::pair<int64_t, std::string>>& songs) {
  std::string json = "[";
  for (const auto& [at, title] : songs) {
    json += (json.size() > 1 ? "," : "") + std::string("{\"playedat\":") + std::to_string(kT0 + at) +
            ",\"title\":\"" + title + "\"}";
  }
  return json + "]";
}

// The times below are read in UTC.
void UseUtc() {
#ifdef _WIN32
  _putenv_s("TZ", "UTC0");
  _tzset();
#else
  setenv("TZ", "UTC0", 1);
  tzset();
#endif
}

class PlayedSongsWindow : public testing::Test {
 protected:
  void SetUp() override {
    UseUtc();
    network.Wire(player, nowMs);
    player.wallClockS = [this] { return nowS; };
    player.shell.copyText = [this](const Text& text) { copied.push_back(TextToUtf8(text)); };
    LoadFonts(player.look.fonts);
    ComputeLayout(player.look.layout, player.playback.volume);
    surface = CreateSurface(kPlayedSongsWidth, kPlayedSongsHeight);
    SetRecording(*surface, &ops);
  }
  void TearDown() override {
    DestroySurface(surface);
    FreeImage(player.song.coverImage);
    FreeImage(player.song.coverScaled);
  }

  void PollAt(int64_t atS, const std::string& song) {
    nowS = kT0 + atS;
    nowMs += 10000;
    network.songOnAir = song;
    PollNowPlaying(player);
  }
  void Tick(uint32_t ms) {
    nowMs += ms;
    ops.clear();
    StepPlayedSongs(player);
  }
  // The texts of the last drawing, in order.
  std::vector<std::string> Drawn() const {
    std::vector<std::string> texts;
    for (const DrawOp& op : ops) {
      if (op.kind == DrawOp::Kind::Text) texts.push_back(op.text);
    }
    return texts;
  }
  void Input(PlayedSongsInput::Kind kind, int y = 0, float notches = 0) {
    ops.clear();
    HandlePlayedSongsInput(player, {kind, 100, y, notches});
  }

  FakeNetwork network;
  uint32_t nowMs = 1000;
  int64_t nowS = kT0;
  Player player;
  Surface* surface = nullptr;
  std::vector<DrawOp> ops;
  std::vector<std::string> copied;
};

TEST_F(PlayedSongsWindow, ShowsThePollsSongsAfterTheStationsEarlierOnesWithTheirTimes) {
  network.playedList = PlayedJson({{-60, "Now - On Air"}, {-300, "C - Three"}, {-500, "B - Two"}, {-700, "A - One"}});
  PollAt(0, "Now - On Air");
  PollAt(200, "Next - Song");
  ops.clear();
  OpenPlayedSongs(player, surface);
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"22:16", "Next \u2013 Song", "22:12", "Now \u2013 On Air", "22:08",
                                                "C \u2013 Three", "22:05", "B \u2013 Two", "22:01", "A \u2013 One"}));
  // The two seen songs got their covers from the cover update; the station's
  // earlier ones are looked up as they show, one per step.
  EXPECT_EQ(network.searched.size(), 3u);
  Tick(80);
  Tick(80);
  EXPECT_EQ(network.searched.size(), 5u);
  EXPECT_EQ(network.listFetches, 1);
}

TEST_F(PlayedSongsWindow, AClickCopiesTheRowWhichSaysSoForTwoSecondsAndCtrlCCopiesItAgain) {
  PollAt(0, "Blue Sky - Night Song");
  PollAt(200, "Night Song");
  OpenPlayedSongs(player, surface);
  Input(PlayedSongsInput::Kind::Click, kPlayedSongRowHeight + 5);
  EXPECT_EQ(copied, std::vector<std::string>{"Blue Sky - Night Song"});
  EXPECT_EQ(Drawn()[3], "Copi\u00E9");
  Tick(1900);
  Tick(100);
  const std::vector<std::string> drawn = Drawn();
  ASSERT_FALSE(drawn.empty());  // drawn again without it
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), "Copi\u00E9"), 0);
  Input(PlayedSongsInput::Kind::CopySelected);
  Input(PlayedSongsInput::Kind::Click, 5);
  Input(PlayedSongsInput::Kind::Click, 3 * kPlayedSongRowHeight);  // below the last row
  EXPECT_EQ(copied, (std::vector<std::string>{"Blue Sky - Night Song", "Blue Sky - Night Song", "Night Song"}));
}

TEST_F(PlayedSongsWindow, TheListIsAskedEveryMinuteWhileOpenAndAFailureKeepsWhatIsShown) {
  PollAt(0, "Now - On Air");
  OpenPlayedSongs(player, surface);  // no played list on this server
  EXPECT_EQ(player.playedSongs.rows.size(), 1u);
  network.playedList = PlayedJson({{-300, "C - Three"}});
  Tick(kPlayedListIntervalMs - 100);
  EXPECT_EQ(network.listFetches, 1);
  Tick(100);
  EXPECT_EQ(network.listFetches, 2);
  EXPECT_EQ(player.playedSongs.rows.size(), 2u);
  network.playedList = "<html>busy</html>";
  Tick(kPlayedListIntervalMs);
  EXPECT_EQ(network.listFetches, 3);
  EXPECT_EQ(player.playedSongs.rows.size(), 2u);
  ClosePlayedSongs(player);
  Tick(kPlayedListIntervalMs);
  EXPECT_EQ(network.listFetches, 3);
}

TEST_F(PlayedSongsWindow, CoversAreLookedUpOnlyForShownRowsAndTheWheelStopsAtTheEnds) {
  std::vector<std::pair<int64_t, std::string>> songs;
  for (int i = 0; i < 20; ++i) songs.emplace_back(-60 * i, "Artist - Song " + std::to_string(i));
  network.playedList = PlayedJson(songs);
  OpenPlayedSongs(player, surface);
  for (int i = 0; i < 30; ++i) Tick(80);
  const size_t shownRows = size_t((kPlayedSongsHeight + kPlayedSongRowHeight - 1) / kPlayedSongRowHeight);
  EXPECT_EQ(network.searched.size(), shownRows);
  Input(PlayedSongsInput::Kind::Scroll, 0, 1000);
  EXPECT_EQ(player.playedSongs.scrollPx, MaxPlayedSongsScrollPx(20, kPlayedSongsHeight));
  for (int i = 0; i < 30; ++i) Tick(80);
  EXPECT_EQ(network.searched.size(), 2 * shownRows);
  Input(PlayedSongsInput::Kind::Scroll, 0, -1000);
  EXPECT_EQ(player.playedSongs.scrollPx, 0);
  for (int i = 0; i < 30; ++i) Tick(80);
  EXPECT_EQ(network.searched.size(), 2 * shownRows);  // the answers were kept
}

TEST_F(PlayedSongsWindow, CtrlCOnThePlayerWindowCopiesTheSongOnAirOrNothing) {
  const struct {
    const char16_t* song;
    const char* copied;
  } cases[] = {{u"Blue Sky - Night Song", "Blue Sky - Night Song"}, {u"Night Song ", "Night Song"},
               {u"Blue Sky - ", "Blue Sky"}, {u"", nullptr}, {u" - ", nullptr}};
  for (const auto& c : cases) {
    copied.clear();
    player.song.currentSong = c.song;
    RunCommand(player, {Command::Kind::CopySong});
    EXPECT_EQ(copied, c.copied ? std::vector<std::string>{c.copied} : std::vector<std::string>{});
  }
}

}  // namespace
