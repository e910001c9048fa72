// SPDX-License-Identifier: GPL-3.0-or-later
// The player as a listener uses it: started beside the demo station, driven
// only by pointer, keyboard and menus, judged only by what the window shows
// and what the sound server receives.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <thread>

#include "app/window_description.h"
#include "listener_checks.h"
#include "listener_session.h"
#include "sound.h"
#include "x_window_tools.h"
#include "x_session.h"

namespace {

using ListenerTest = Listener;

TEST_F(ListenerTest, StartUpShowsTheSongOnAirAndItsCoverSilentlyWithBadgeOff) {
  // Song 2's cover comes from the second search service, and is not square.
  Start({"--first-song", "2"});
  if (HasFatalFailure()) return;
  const ReferenceFrame expected(SongText(2));
  const auto title = TimeUntil([&] { return ShowsSong(expected); }, playerStartedAt, 15s);
  ASSERT_TRUE(title) << Differing(kTextLines, expected) << " pixels of the title and artist differ";
  ExpectWithin(*title, "title and artist shown", 2000);
  const auto cover = TimeUntil([&] { return CoverIs(kCoverOf[2]); }, playerStartedAt, 15s);
  ASSERT_TRUE(cover) << std::hex << At(143, 143);
  ExpectWithin(*cover, "cover shown", 3000);
  EXPECT_FALSE(BadgeLive());
  EXPECT_EQ(Differing(kBadgeBox, expected), 0) << "the badge should read OFF";
  EXPECT_LT(Rms(Listen(1500ms)), kSilentRms);
}

// What GTK allows: LIVE within a second of play, the end within a second of
// the close box.
constexpr PlatformBounds kGtkBounds{1000, 1000};

TEST_F(ListenerTest, PlayGoesLiveWithTheSongsSoundAndAMovingPanel) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  PlayGoesLiveWithTheToneAndTheModesRedrawThePanel(kGtkBounds);
}

TEST_F(ListenerTest, VolumeSliderSetsTheLoudness) {
  StartPlaying();
  if (HasFatalFailure()) return;
  // The knob starts at 0.8 of the 180-pixel track that begins at x = 440.
  struct Step {
    const char* where;
    int fromX, toX;
    double volume;
  } steps[] = {{"right end", 584, 640, 1.0}, {"middle", 620, 530, 0.5}, {"left end", 530, 420, 0.0}};
  double full = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.where);
    ASSERT_TRUE(Drag(step.fromX, 238, step.toX, 238));
    std::this_thread::sleep_for(1500ms);  // what was buffered at the old volume plays out
    const auto sound = Listen(1000ms);
    if (step.volume == 0) {
      EXPECT_LT(Rms(sound), kSilentRms);
    } else if (step.volume == 1) {
      full = ToneAmplitude(sound, kToneHz);
      ExpectTone(sound, kToneAmplitude);
    } else {
      EXPECT_NEAR(ToneAmplitude(sound, kToneHz) / full, step.volume, 0.08);
    }
  }
}

TEST_F(ListenerTest, SongChangeBringsTitleAndCoverAndASongWithoutCoverKeepsThePrevious) {
  // Song 3 (yellow cover), then song 4 (no cover anywhere), then song 0 (red).
  Start({"--first-song", "3", "--song-seconds", "11"});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitForSurface([&] { return ShowsSong(ReferenceFrame(SongText(3))) && CoverIs(kCoverOf[3]); }, 10s));

  const auto noCover = WaitForSong(4, 15s);
  ASSERT_TRUE(noCover);
  const ReferenceFrame song4(SongText(4));
  const auto title4 = TimeUntil([&] { return ShowsSong(song4); }, *noCover, 20s);
  ASSERT_TRUE(title4);
  ExpectWithin(*title4, "song without cover shown", 11000);
  EXPECT_TRUE(CoverIs(kCoverOf[3])) << std::hex << At(143, 143);
  std::this_thread::sleep_for(2s);  // the lookups of song 4 have failed by now
  ASSERT_TRUE(Capture());
  EXPECT_TRUE(CoverIs(kCoverOf[3])) << std::hex << At(143, 143);

  const auto next = WaitForSong(0, 15s);
  ASSERT_TRUE(next);
  const ReferenceFrame song0(SongText(0));
  const auto title0 = TimeUntil([&] { return ShowsSong(song0) && CoverIs(kCoverOf[0]); }, *next, 20s);
  ASSERT_TRUE(title0);
  ExpectWithin(*title0, "next song and cover shown", 11000);
}

TEST_F(ListenerTest, StopGoesOffAndSilentAndPlayReconnects) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  const ReferenceFrame idle(SongText(0));
  ASSERT_TRUE(PressPlay());
  ASSERT_TRUE(WaitForSurface([&] { return BadgeLive(); }, 10s));
  ExpectTone(ListenOnceHeard(1000ms), kToneAmplitude * kDefaultVolume);

  ASSERT_TRUE(PressStop());
  EXPECT_TRUE(WaitForSurface([&] { return Differing(kBadgeBox, idle) == 0; }, 2s)) << "the badge should read OFF";
  std::this_thread::sleep_for(500ms);
  EXPECT_LT(Rms(Listen(1000ms)), kSilentRms);

  const auto pressed = PressPlay();
  ASSERT_TRUE(pressed);
  const auto live = TimeUntil([&] { return BadgeLive(); }, *pressed, 10s);
  ASSERT_TRUE(live) << "never LIVE again";
  ExpectWithin(*live, "LIVE after play again", 1000);
  ExpectTone(ListenOnceHeard(1000ms), kToneAmplitude * kDefaultVolume);
}

TEST_F(ListenerTest, StreamDroppedByTheStationGoesOffQuietlyAndStopPlayRecovers) {
  Start(With(kOneLongSong, {"--drop-stream-after", "4"}));
  if (HasFatalFailure()) return;
  const ReferenceFrame idle(SongText(0));
  ASSERT_TRUE(PressPlay());
  ASSERT_TRUE(WaitForSurface([&] { return BadgeLive(); }, 10s));
  // Dropped 4 s after it began; what was buffered plays out first.
  EXPECT_TRUE(WaitForSurface([&] { return Differing(kBadgeBox, idle) == 0; }, 15s)) << "the badge should read OFF";
  EXPECT_FALSE(FindWindow(session, "Erreur", 500ms)) << "no message for a dropped stream";
  ASSERT_TRUE(PlayerRunning());

  ASSERT_TRUE(PressStop());
  ASSERT_TRUE(PressPlay());
  EXPECT_TRUE(WaitForSurface([&] { return BadgeLive(); }, 3s)) << "never LIVE again";
  ExpectTone(ListenOnceHeard(1000ms), kToneAmplitude * kDefaultVolume);
}

TEST_F(ListenerTest, StationGoingAwayAndBackPlaysAgainWithoutAClick) {
  // 4 s after play the source goes away for 6 s: the stream is dropped and
  // every new try refused until it is back.
  Start(With(kOneLongSong, {"--outage-after", "4", "--outage-seconds", "6"}));
  if (HasFatalFailure()) return;
  const ReferenceFrame idle(SongText(0));
  ASSERT_TRUE(PressPlay());
  ASSERT_TRUE(WaitForSurface([&] { return BadgeLive(); }, 10s));
  EXPECT_TRUE(WaitForSurface([&] { return Differing(kBadgeBox, idle) == 0; }, 15s)) << "the badge should read OFF";
  const auto off = Clock::now();
  const auto back = TimeUntil([&] { return BadgeLive(); }, off, 40s);
  ASSERT_TRUE(back) << "never LIVE again by itself";
  std::cout << "LIVE again " << back->count() << " ms after OFF\n";
  ExpectTone(ListenOnceHeard(1000ms), kToneAmplitude * kDefaultVolume);
  EXPECT_FALSE(FindWindow(session, "Erreur", 500ms)) << "no message for an outage";
}

TEST_F(ListenerTest, RefusedStreamShowsTheErrorWithTheEngineCode) {
  Start({"--refuse-stream", "404"});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(PressPlay());
  const auto box = FindWindow(session, "Erreur", 15s);
  ASSERT_TRUE(box) << "no message box";
  // The box reads like the toolkit's own box for the expected text, pixel for pixel.
  ASSERT_TRUE(RunInSession(session, "xdotool windowfocus --sync " + *box));
  std::this_thread::sleep_for(300ms);
  cairo_surface_t* shown = CaptureWindow(session, *box);
  ASSERT_NE(shown, nullptr);
  ASSERT_TRUE(RunInSession(session, "xdotool windowfocus --sync " + *box + " key Return"));
  EXPECT_TRUE(WaitUntil([&] { return !FindWindow(session, "Erreur", 0ms); }, 5s));
  cairo_surface_t* expected = ReferenceMessageBox(session, "Erreur", "Impossible d'ouvrir le flux (code 2)");
  ASSERT_NE(expected, nullptr);
  const int width = cairo_image_surface_get_width(shown), height = cairo_image_surface_get_height(shown);
  EXPECT_EQ(width, cairo_image_surface_get_width(expected));
  EXPECT_EQ(height, cairo_image_surface_get_height(expected));
  int differing = 0;
  for (int y = 0; y < std::min(height, cairo_image_surface_get_height(expected)); ++y) {
    for (int x = 0; x < std::min(width, cairo_image_surface_get_width(expected)); ++x) {
      differing += PixelAt(shown, x, y) != PixelAt(expected, x, y);
    }
  }
  EXPECT_LE(differing, kTextSlackPx) << "the message differs from \"Impossible d'ouvrir le flux (code 2)\"";
  cairo_surface_destroy(shown);
  cairo_surface_destroy(expected);
  ASSERT_TRUE(PlayerRunning());
  EXPECT_TRUE(WaitForSurface([&] { return !BadgeLive(); }, 2s));
}

TEST_F(ListenerTest, ASignalClosesTheOpenErrorBoxAndEndsWithZero) {
  Start({"--refuse-stream", "404"});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(PressPlay());
  ASSERT_TRUE(FindWindow(session, "Erreur", 15s)) << "no message box";
  const auto sentAt = Clock::now();
  kill(playerPid, SIGTERM);
  const auto code = WaitForPlayerExit(10s);
  ASSERT_TRUE(code) << "still running, the box still open: " << bool(FindWindow(session, "Erreur", 0ms));
  EXPECT_EQ(*code, 0);
  ExpectWithin(Since(sentAt), "ended after SIGTERM", 1000);
}

TEST_F(ListenerTest, StatusPagesThatNeverAnswerHoldNeitherFramesNorPlayNorTheCloseBox) {
  StatusPagesThatNeverAnswerHoldNothing(kGtkBounds);
}

TEST_F(ListenerTest, FailingStatusPagesKeepTheLastTitle) {
  // Titles for 4 s, then every status page fails while the songs go on changing.
  Start({"--first-song", "0", "--song-seconds", "5", "--faults-after", "4", "--stats-fault", "notjson",
         "--status-fault", "404"});
  if (HasFatalFailure()) return;
  const ReferenceFrame song0(SongText(0));
  ASSERT_TRUE(WaitForSurface([&] { return ShowsSong(song0); }, 10s));
  ASSERT_TRUE(WaitForSong(2, 15s));
  // The poll of 10 s after start has failed by now.
  std::this_thread::sleep_until(playerStartedAt + 12s);
  ASSERT_TRUE(Capture());
  EXPECT_TRUE(ShowsSong(song0));
  EXPECT_TRUE(PlayerRunning());
}

TEST_F(ListenerTest, StatisticsPageFailingFallsBackToTheStatusPages) {
  Start({"--first-song", "1", "--song-seconds", "6", "--stats-fault", "404"});
  if (HasFatalFailure()) return;
  const ReferenceFrame song1(SongText(1));
  EXPECT_TRUE(WaitForSurface([&] { return ShowsSong(song1); }, 5s));
  ASSERT_TRUE(WaitForSong(2, 15s));
  const ReferenceFrame song2(SongText(2));
  EXPECT_TRUE(WaitForSurface([&] { return ShowsSong(song2); }, 15s));
}

TEST_F(ListenerTest, PictureThatIsAWebPageKeepsThePreviousCover) {
  // Pictures are fine for 3 s, then every picture is an HTML page.
  Start({"--first-song", "0", "--song-seconds", "6", "--faults-after", "3", "--picture-fault", "html"});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitForSurface([&] { return CoverIs(kCoverOf[0]); }, 10s));
  ASSERT_TRUE(WaitForSong(1, 15s));
  const ReferenceFrame song1(SongText(1));
  ASSERT_TRUE(WaitForSurface([&] { return ShowsSong(song1); }, 15s));
  EXPECT_TRUE(CoverIs(kCoverOf[0])) << std::hex << At(143, 143);
  // A retry of the cover comes 7 s after the first attempt, and fails the same way.
  std::this_thread::sleep_for(8s);
  ASSERT_TRUE(Capture());
  EXPECT_TRUE(CoverIs(kCoverOf[0])) << std::hex << At(143, 143);
  EXPECT_TRUE(PlayerRunning());
}

TEST_F(ListenerTest, AboutWindowOpensFromItsMenuAndClosesLeavingThePlayer) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  AboutWindowOpensAndClosesLeavingThePlayer();
  if (HasFatalFailure()) return;
  // The player still answers: play goes LIVE.
  ASSERT_TRUE(PressPlay());
  EXPECT_TRUE(WaitForSurface([&] { return BadgeLive(); }, 5s));
}

TEST_F(ListenerTest, AboutTwiceLeavesOneAndThePlayersCloseBoxEndsWithZero) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  std::string first;
  for (int opening = 1; opening <= 2; ++opening) {
    SCOPED_TRACE(opening);
    // The About window, centred and taller, covers the player's menu bar.
    ASSERT_TRUE(RunInSession(session, "xdotool windowraise " + window));
    ASSERT_TRUE(ChooseMenuItem(kMenuAbout));
    std::string shown;
    ASSERT_TRUE(WaitUntil(
        [&] {
          const auto ids = RunInSession(session, "xdotool search --onlyvisible --name '^\u00c0 propos de Orvelle$'");
          shown = ids.value_or("");
          return !shown.empty() && shown != first;
        },
        10s))
        << "no fresh About window";
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
    first = shown;
  }
  ASSERT_TRUE(RequestClose(session.display, window));
  ExpectEndsWithZero(10s, "still running");
}

TEST_F(ListenerTest, PlayedSongsListsTheStationsEarlierSongsThenThoseSeenAndCopiesTheClickedOne) {
  PlayedSongsListsCopiesAndCloses([](int song) { return ReferenceFrame(SongText(song)); },
                                  [&] { return RunInSession(session, "xclip -o -selection clipboard").value_or(""); });
}

TEST_F(ListenerTest, ASecondStartShowsTheFirstWindowAndACrashHoldsNoStartBack) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  // Unmapped from outside, as a window manager hides a window; no window manager runs here.
  ASecondStartShowsTheFirstAndAKilledOneHoldsNoneBack(
      [&] { return RunInSession(session, "xdotool windowunmap --sync " + window).has_value(); },
      [&] { return FindWindow(session, kPlayerWindow.title, 0ms).has_value(); });
}

TEST_F(ListenerTest, QuitWhilePlayingEndsWithZero) {
  StartPlaying();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(ChooseMenuItem(kMenuQuit));
  ExpectEndsWithZero(10s, "still running");
}

// The X server goes away under a playing player (stopped, or the session
// ended without a word): the usual shutdown and 0, not GDK's exit with 1.
TEST_F(ListenerTest, LosingTheDisplayWhilePlayingEndsWithZero) {
  StartPlaying();
  if (HasFatalFailure()) return;
  kill(session.serverPid, SIGKILL);
  ExpectEndsWithZero(10s, "still running");
}

}  // namespace
