// SPDX-License-Identifier: GPL-3.0-or-later
// The listener's scenarios that every build's player goes through, written
// once: listener_test.cpp runs them on the Linux program, and
// windows_listener_test.cpp on the Windows one under Wine.
#include <signal.h>

#include "app/window_description.h"
#include "listener_checks.h"
#include "listener_session.h"
#include "x_window_tools.h"

bool Listener::ChooseMenuItem(int event) {
  // The item's menu, and its place among that menu's entries.
  int menu = -1, place = -1, count = 0;
  for (const MenuEntry& entry : kPlayerMenuBar) {
    if (entry.kind == MenuEntry::Kind::Menu) {
      if (place >= 0) break;
      ++menu;
      count = 0;
    } else {
      if (entry.kind == MenuEntry::Kind::Item && entry.event == event) place = count;
      ++count;
    }
  }
  return place >= 0 && OpenMenu(menu) && ClickMenuItem(place, count);
}

void Listener::PlayGoesLiveWithTheToneAndTheModesRedrawThePanel(const PlatformBounds& bounds) {
  ASSERT_TRUE(WaitForSurface([&] { return CoverIs(kCoverOf[0]); }, 10s));
  cairo_surface_t* idle = Keep();
  const auto pressed = PressPlay();
  ASSERT_TRUE(pressed);
  const auto live = TimeUntil([&] { return BadgeLive(); }, *pressed, 15s);
  ASSERT_TRUE(live) << "never LIVE";
  ExpectWithin(*live, "LIVE after play", bounds.liveAfterFirstPlayMs);
  ExpectTone(ListenOnceHeard(1500ms), kToneAmplitude * kDefaultVolume);
  EXPECT_TRUE(WaitForSurface([&] { return Differing(kVisualizerBox, idle) > 100; }, 3s))
      << "the visualizer did not move";

  // V, then modes chosen from the "Affichage" menu: each redraws the panel.
  EXPECT_TRUE(PanelChangesWith([&] { return Key("v"); })) << "V";
  for (const VisualizerMode mode : {VisualizerMode::Ring, VisualizerMode::Line}) {
    const int event = menu_table::ModeEvent(mode);
    EXPECT_TRUE(PanelChangesWith([&] { return ChooseMenuItem(event); })) << "menu event " << event;
  }
}

void Listener::StatusPagesThatNeverAnswerHoldNothing(const PlatformBounds& bounds) {
  // Every status page is taken and never answered while the test runs.
  Start(With(kOneLongSong, {"--stats-fault", "silent", "--status-fault", "silent", "--stall-seconds", "600"}));
  if (HasFatalFailure()) return;
  // Wine shows a window once its thread takes messages: not while a start-up poll waits.
  ExpectWithin(Since(playerStartedAt), "window shown", 10000);
  const auto pressed = PressPlay();
  ASSERT_TRUE(pressed);
  const auto live = TimeUntil([&] { return BadgeLive(); }, *pressed, 10s);
  ASSERT_TRUE(live) << "never LIVE";
  ExpectWithin(*live, "LIVE after play", 1000);
  EXPECT_TRUE(BadgeKeepsPulsing(4)) << "the frames stopped";

  const auto closedAt = Clock::now();
  ASSERT_TRUE(RequestClose(session.display, window));
  ExpectEndsWithZero(10s, "still running");
  ExpectWithin(Since(closedAt), "ended after the close box", bounds.endedAfterCloseMs);
}

void Listener::AboutWindowOpensAndClosesLeavingThePlayer(const std::function<void()>& whileOpen) {
  ASSERT_TRUE(ChooseMenuItem(kMenuAbout));
  const auto about = FindWindow(session, kAboutWindow.title, 10s);
  ASSERT_TRUE(about) << "no About window";
  if (whileOpen) whileOpen();
  ASSERT_TRUE(RequestClose(session.display, *about));
  EXPECT_TRUE(WaitUntil([&] { return !FindWindow(session, kAboutWindow.title, 0ms); }, 5s));
  ASSERT_TRUE(PlayerRunning()) << "closing the About window ended the player";
}

void Listener::PlayedSongsListsCopiesAndCloses(const std::function<ReferenceFrame(int)>& frameOf,
                                               const std::function<std::string()>& clipboard,
                                               const std::function<void()>& whileOpen) {
  // The played list holds the song on air (3) and the two before it.
  Start({"--first-song", "3", "--song-seconds", "7", "--played", "3"});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitForSurface([&, frame = frameOf(3)] { return ShowsSong(frame); }, 15s));
  ASSERT_TRUE(ChooseMenuItem(kMenuPlayedSongs));
  const auto played = FindWindow(session, kPlayedSongsWindow.title, 10s);
  ASSERT_TRUE(played) << "no played-songs window";
  if (whileOpen) whileOpen();
  // Two song changes, each polled at once by a press on play; no window
  // manager runs, so the player's window is raised above the new one by hand.
  for (int song : {4, 0}) {
    const ReferenceFrame frame = frameOf(song);
    ASSERT_TRUE(WaitForSong(song, 15s));
    ASSERT_TRUE(RunInSession(session, "xdotool windowraise " + window));
    ASSERT_TRUE(PressPlay());
    ASSERT_TRUE(WaitForSurface([&] { return ShowsSong(frame); }, 5s));
  }
  const int rows[] = {0, 4, 3, 2, 1};  // newest first
  ASSERT_TRUE(RunInSession(session, "xdotool windowraise " + *played));
  for (int row = 0; row < 6; ++row) {
    SCOPED_TRACE(row);
    ASSERT_TRUE(RunInSession(session, "xdotool mousemove --window " + *played + " 200 " +
                                          std::to_string(kPlayedSongRowHeight * row + 30) + " click 1"));
    const std::string expected = SongText(rows[std::min(row, 4)]);  // nothing below the last row
    EXPECT_TRUE(WaitUntil([&] { return clipboard() == expected; }, 5s)) << clipboard();
  }
  ASSERT_TRUE(RunInSession(session, "xdotool windowfocus --sync " + *played + " key Escape"));
  EXPECT_TRUE(WaitUntil([&] { return !FindWindow(session, kPlayedSongsWindow.title, 0ms); }, 5s));
  // Ctrl+C on the player window: the song on air.
  ASSERT_TRUE(Key("ctrl+c"));
  EXPECT_TRUE(WaitUntil([&] { return clipboard() == SongText(0); }, 5s)) << clipboard();
  EXPECT_TRUE(PlayerRunning());
}

void Listener::ASecondStartShowsTheFirstAndAKilledOneHoldsNoneBack(const std::function<bool()>& hide,
                                                                   const std::function<bool()>& shown) {
  ASSERT_TRUE(hide()) << "the window could not be hidden";
  ASSERT_FALSE(shown());
  const pid_t second = LaunchPlayer();
  ASSERT_GT(second, 0);
  const auto code = WaitForExit(second, 30s);
  ASSERT_TRUE(code) << "the second start still runs";
  EXPECT_EQ(*code, 0);
  EXPECT_TRUE(WaitUntil(shown, 5s)) << "the first window stayed hidden";
  ASSERT_TRUE(PlayerRunning());

  kill(playerPid, SIGKILL);
  ASSERT_TRUE(WaitForPlayerExit(10s));
  playerPid = LaunchPlayer();
  ASSERT_GT(playerPid, 0);
  EXPECT_TRUE(FindWindow(session, kPlayerWindow.title, 20s)) << "no window after a start that followed a crash";
  EXPECT_TRUE(PlayerRunning());
}

void Listener::StartPlaying() {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  ASSERT_TRUE(PressPlay());
  ASSERT_TRUE(WaitForSurface([&] { return BadgeLive(); }, 10s)) << "never LIVE";
}
