// SPDX-License-Identifier: GPL-3.0-or-later
// When the poll updates the cover: a new song once, then retries while no
// cover is shown, 7000 ms apart, until three updates in a row have failed.
// The network is an in-process fake and the clock is set by the test.
#include <gtest/gtest.h>

#include <map>

#include "model/layout.h"
#include "fake_network.h"
#include "app/poll.h"

namespace {

class CoverRetry : public testing::Test {
 protected:
  void SetUp() override {
    network.Wire(player, nowMs);
    network.coverFound = false;
    ComputeLayout(player.look.layout, player.playback.volume);
  }
  void TearDown() override {
    FreeImage(player.song.coverImage);
    FreeImage(player.song.coverScaled);
  }

  // Polls at `atMs` and returns how many cover updates the poll started.
  int PollAt(uint32_t atMs, std::optional<std::string> song) {
    nowMs = atMs;
    network.songOnAir = std::move(song);
    const size_t before = network.searched.size();
    PollNowPlaying(player);
    return int(network.searched.size() - before);
  }

  FakeNetwork network;
  uint32_t nowMs = 0;
  Player player;
};

TEST_F(CoverRetry, ThreeFailuresStopRetriesButEveryNewSongIsTried) {
  const struct {
    uint32_t atMs;
    const char* song;
    bool coverFound;
    int updates;
    int32_t failCount;
  } steps[] = {
      {1000, "A - B", false, 1, 1},    // new song
      {7999, "A - B", false, 0, 1},    // 6999 ms later: too soon
      {8000, "A - B", false, 1, 2},    // retry
      {9000, nullptr, false, 0, 2},    // no answer: nothing to do yet
      {15000, nullptr, false, 1, 3},   // no answer still retries coverSong
      {40000, "A - B", false, 0, 3},   // three failures: retries stop
      {41000, "C - D", false, 1, 4},   // a new song is tried regardless
      {60000, "C - D", false, 0, 4},
      {61000, "E - F", true, 1, 0},    // success resets the count
      {90000, "E - F", false, 0, 0},   // a shown cover is never retried
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(testing::Message() << "at " << step.atMs << " ms");
    network.coverFound = step.coverFound;
    EXPECT_EQ(PollAt(step.atMs, step.song ? std::optional<std::string>(step.song) : std::nullopt), step.updates);
    EXPECT_EQ(player.song.coverFailCount, step.failCount);
  }
  EXPECT_EQ(player.song.currentSong, u"E - F");
  EXPECT_EQ(player.song.coverSong, u"E - F");
  EXPECT_EQ(player.song.lastCoverAttemptMs, 61000);
  ASSERT_NE(player.song.coverScaled, nullptr);
  EXPECT_EQ(ImageWidth(player.song.coverScaled), 250);
}

TEST_F(CoverRetry, ANewSongWithoutCoverKeepsThePreviousOneAndIsNotRetried) {
  network.coverFound = true;
  ASSERT_EQ(PollAt(0, "A - B"), 1);
  const Picture* shown = player.song.coverImage.get();
  ASSERT_NE(shown, nullptr);

  network.coverFound = false;
  EXPECT_EQ(PollAt(10000, "C - D"), 1);
  EXPECT_EQ(player.song.coverImage.get(), shown);
  EXPECT_EQ(player.song.coverFailCount, 1);
  EXPECT_EQ(player.song.currentSong, u"C - D");
  EXPECT_EQ(PollAt(20000, "C - D"), 0);
  EXPECT_EQ(PollAt(30000, std::nullopt), 0);
  EXPECT_EQ(player.song.currentSong, u"C - D") << "no answer never clears the title";
}

TEST_F(CoverRetry, SpacingUsesTheSignedDifferenceOfTheWrappingClock) {
  const struct {
    uint32_t lastMs;
    uint32_t nowMs;
    bool scaledMissingOnly;
    int updates;
  } cases[] = {
      {1000, 8000, false, 1},
      {0xFFFFF000u, 0x00000B57u, false, 0},  // 6999 ms across the wrap
      {0xFFFFF000u, 0x00000B58u, false, 1},  // 7000 ms across the wrap
      {0x7FFFFFFFu, 0x80001B57u, false, 1},  // 7000 ms across the signed boundary
      {20000, 1000, false, 0},              // a reading before the last attempt
      {1000, 8000, true, 1},                // a missing scaled copy is a missing cover too
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lastMs << " -> " << c.nowMs);
    player.song.currentSong = player.song.coverSong = u"A - B";
    player.song.coverFailCount = 0;
    player.song.coverImage = c.scaledMissingOnly ? CreateImage(4, 4) : nullptr;
    player.song.lastCoverAttemptMs = int32_t(c.lastMs);
    EXPECT_EQ(PollAt(c.nowMs, "A - B"), c.updates);
    EXPECT_EQ(uint32_t(player.song.lastCoverAttemptMs), c.updates ? c.nowMs : c.lastMs);
  }
}

// Servers that send each answer as slowly as the player lets them, its last
// byte just in time: the worst a poll can meet. Each fetch moves the clock by
// all the time its bounds give it.
TEST(PollBudget, SlowServersHoldThePollAtMostTheTwoBudgets) {
  uint32_t nowMs = 0xFFFF0000u;  // the budgets hold across the clock's wrap too
  std::vector<std::pair<std::string, long>> fetches;  // path, time given
  const std::map<std::string, std::optional<std::string>> answers = {
      {"http://station/stats?json=1", std::nullopt},
      {"http://station/7.html", "no title here"},
      {"http://station/7.html?sid=1", "1,2,3,4,5,A - B"},
      {"http://itunes/search", "{}"},
      {"http://deezer/search", R"({"data":[{"album":{"cover_xl":"http://pictures/c.png"}}]})"},
      {"http://pictures/c.png", EncodePng(4, 4, Solid({200, 0, 0, 255}))},
  };
  Player player;
  player.playback.serverBase = u"http://station";
  player.config.itunesBase = "http://itunes";
  player.config.deezerBase = "http://deezer";
  player.clockMs = [&nowMs] { return nowMs; };
  player.httpGet = [&](const std::string& url, const FetchBounds& bounds) -> std::optional<std::string> {
    const std::optional<HttpGetOptions> options = TransferOptions(bounds, nowMs);
    if (!options) return std::nullopt;
    nowMs += uint32_t(options->totalTimeoutMs);
    // The station's pages by their whole address, the rest without the query.
    const std::string path = url.rfind("http://station", 0) == 0 ? url : url.substr(0, url.find('?'));
    fetches.emplace_back(path, options->totalTimeoutMs);
    const auto answer = answers.find(path);
    return answer == answers.end() ? std::nullopt : answer->second;
  };
  ComputeLayout(player.look.layout, player.playback.volume);

  const uint32_t startMs = nowMs;
  PollNowPlaying(player);
  EXPECT_EQ(player.song.currentSong, u"A - B");
  EXPECT_NE(player.song.coverScaled, nullptr) << "the picture came just in time";
  EXPECT_LE(nowMs - startMs, uint32_t(kStatusPagesBudgetMs + kCoverUpdateBudgetMs));
  const std::vector<std::pair<std::string, long>> expected = {
      {"http://station/stats?json=1", 10000}, {"http://station/7.html", 10000},
      {"http://station/7.html?sid=1", 10000}, {"http://itunes/search", 10000},
      {"http://deezer/search", 10000},        {"http://pictures/c.png", 10000},  // what the cover's budget leaves
  };
  EXPECT_EQ(fetches, expected);
  FreeImage(player.song.coverImage);
  FreeImage(player.song.coverScaled);
}

}  // namespace
