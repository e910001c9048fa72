// SPDX-License-Identifier: GPL-3.0-or-later
// The player's slow work on its workers, as the window's thread lives it:
// real transfers against servers on 127.0.0.1 that trickle or never answer,
// the fake audio library, and this thread as the window's, applying what
// the workers hand back. Built under ThreadSanitizer too.
#include "app/background.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/commands.h"
#include "app/events.h"
#include "app/playback.h"
#include "app/poll.h"
#include "app/startup.h"
#include "audio/stream_control.h"
#include "cover/test_pictures.h"
#include "fake_audio.h"
#include "fake_shell.h"
#include "model/layout.h"
#include "os/os.h"
#include "support/local_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr RgbaPixel kRed{200, 0, 0, 255}, kBlue{0, 0, 200, 255};

// Holds the answer back until the test's server stops; `askedAt` is when
// the request came.
void Silent(LocalServer& server, const std::string& path, std::atomic<Clock::time_point>& askedAt) {
  server.Route(path, [&server, &askedAt](const httplib::Request&, httplib::Response& response) {
    askedAt = Clock::now();
    while (!server.Stopping()) std::this_thread::sleep_for(10ms);
    response.status = 503;
  });
}

class BackgroundWork : public testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    player.audioLibrary.api = FakeAudioApi();
    player.shell = MakeFakeShell(shellLog);
    player.config.streamUrl = station.Base() + "/;stream/1";
    player.playback.serverBase = T(station.Base());  // as start-up derives it
    player.config.itunesBase = search.Base();
    player.config.deezerBase = search.Base();
    player.clockMs = MonotonicMs;
    player.httpGet = BoundedHttpGet(MonotonicMs, background.Cancel());
    player.background = &background;
    ComputeLayout(player.look.layout, player.playback.volume);
    station.Route("/stats", [this](const httplib::Request&, httplib::Response& response) {
      std::lock_guard<std::mutex> lock(songMutex);
      response.set_content(R"({"songtitle":")" + songOnAir + R"("})", "application/json");
    });
    // Each song's cover has a colour of its own.
    search.Route("/search", [this](const httplib::Request& request, httplib::Response& response) {
      const bool first = request.get_param_value("term").find("Blue Sky") != std::string::npos;
      response.set_content(R"({"results":[{"artworkUrl100":")" + search.Base() + (first ? "/red" : "/blue") + R"("}]})",
                           "application/json");
    });
    search.Serve("/blue", EncodePng(8, 8, Solid(kBlue)), "image/png");
  }
  void TearDown() override {
    background.Stop(1s);
    FreeImage(player.song.coverImage);
    FreeImage(player.song.coverScaled);
  }

  // This thread as the window's: applies what the workers hand back until
  // `done` holds; false at the deadline.
  bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      ApplyBackgroundResults(player);
      if (done()) return true;
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(5ms);
    }
  }
  int Asked(LocalServer& server, const std::string& path) {
    int count = 0;
    for (const std::string& target : server.Targets()) count += target.rfind(path, 0) == 0;
    return count;
  }
  bool CoverIs(RgbaPixel colour) {
    if (player.song.coverScaled == nullptr) return false;
    const uint32_t argb = player.song.coverScaled->Row(125)[125];
    return argb == (0xFF000000u | uint32_t(colour.r) << 16 | uint32_t(colour.g) << 8 | colour.b);
  }

  Background background{[] {}};  // this thread looks for results by itself
  LocalServer station, search;
  std::mutex songMutex;
  std::string songOnAir = "Blue Sky - Night Song";
  Player player;
  FakeShellLog shellLog;
};

TEST_F(BackgroundWork, ATricklingCoverHoldsNeitherPlayNorStopAndASongChangeStillEndsWithItsCover) {
  // The first song's picture comes in thirty pieces a tenth of a second apart.
  const std::string red = EncodePng(8, 8, Solid(kRed));
  search.Route("/red", [this, red](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(red.size(), "image/png", [this, red](size_t offset, size_t, httplib::DataSink& sink) {
      std::this_thread::sleep_for(100ms);
      return !search.Stopping() && sink.write(red.data() + offset, std::min(red.size() / 30 + 1, red.size() - offset));
    });
  });

  const auto pollStarted = Clock::now();
  PollNowPlaying(player);
  EXPECT_LT(Clock::now() - pollStarted, 1s) << "the poll held the window";
  ASSERT_TRUE(Pump([&] { return Asked(search, "/red") == 1; }, 5s));

  const auto pressed = Clock::now();
  RunCommand(player, {Command::Kind::Play});
  ASSERT_TRUE(Pump([&] { return IsStreamPlaying(Bass(player), player.playback.streamHandle); }, 1s)) << "never LIVE";
  RunCommand(player, {Command::Kind::Stop});
  EXPECT_FALSE(IsStreamPlaying(Bass(player), player.playback.streamHandle));
  EXPECT_LT(Clock::now() - pressed, 1s);
  EXPECT_EQ(player.song.coverImage, nullptr) << "the picture came before play and stop were tried";

  // The song changes while the picture comes: a tick meanwhile starts nothing.
  {
    std::lock_guard<std::mutex> lock(songMutex);
    songOnAir = "Les Ondes Vertes - Carre Magique";
  }
  PollNowPlaying(player);
  ASSERT_TRUE(Pump([&] { return !player.song.pollRunning; }, 10s));
  EXPECT_EQ(Asked(station, "/stats"), 1);
  EXPECT_EQ(TextToUtf8(player.song.currentSong), "Blue Sky - Night Song");
  EXPECT_TRUE(CoverIs(kRed));
  // The next tick takes the new song and its cover.
  PollNowPlaying(player);
  ASSERT_TRUE(Pump([&] { return !player.song.pollRunning; }, 10s));
  EXPECT_EQ(TextToUtf8(player.song.currentSong), "Les Ondes Vertes - Carre Magique");
  EXPECT_TRUE(CoverIs(kBlue));
  EXPECT_EQ(player.song.coverFailCount, 0);
}

TEST_F(BackgroundWork, QuitWhileAFetchStallsEndsAtOnceWithNothingLeftRunning) {
  std::atomic<Clock::time_point> stalledAt{Clock::time_point::max()};
  Silent(station, "/stats", stalledAt);
  // The user quits as soon as the start-up poll waits for the statistics page.
  player.shell = MakeFakeShell(shellLog, [&](Player&) {
    EXPECT_TRUE(Pump([&] { return stalledAt.load() != Clock::time_point::max(); }, 5s));
  });
  const int code = RunPlayer(player, [](AudioLibrary& library) {
    library.api = FakeAudioApi();
    return true;
  });
  EXPECT_EQ(code, 0);
  EXPECT_LT(Clock::now() - stalledAt.load(), 1s);
  EXPECT_TRUE(background.Stop(0ms)) << "a worker still waits for the server";
  EXPECT_EQ(player.song.currentSong, u"");
}

TEST_F(BackgroundWork, QuitWhileTheStreamOpensEndsAtOnceAndKeepsTheLibraryLoaded) {
  std::atomic<bool> answered = false;
  FakeScript().whileOpening = [&answered] {
    const auto deadline = Clock::now() + 5s;
    while (!answered && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
  };
  Clock::time_point quitAt;
  player.shell = MakeFakeShell(shellLog, [&](Player& p) {
    RunCommand(p, {Command::Kind::Play});
    std::this_thread::sleep_for(100ms);  // the open is under way
    quitAt = Clock::now();
  });
  const int code = RunPlayer(player, [](AudioLibrary& library) {
    library.api = FakeAudioApi();
    return true;
  });
  EXPECT_EQ(code, 0);
  EXPECT_LT(Clock::now() - quitAt, 1s);
  EXPECT_FALSE(background.Stop(0ms));
  EXPECT_NE(Bass(player).BASS_StreamCreateURL, nullptr) << "the library was unloaded under the open";
  answered = true;
  ASSERT_TRUE(Pump([&] { return background.Stop(0ms); }, 5s));
  const auto& calls = FakeLog().calls;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "BASS_ChannelPlay(7,0)"), 0) << "played after the quit";
}

}  // namespace
