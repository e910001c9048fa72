// SPDX-License-Identifier: GPL-3.0-or-later
// The real player in a private X server: what the user sees at start-up, the
// V shortcut, quitting from the menu or by a signal, and the missing-library
// message.
#include "support/local_server.h"  // httplib first

#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <iostream>
#include <thread>

#include "app/frame.h"
#include "app/frame_fixture.h"
#include "display/view_colours.h"
#include "player_window.h"
#include "x_session.h"

namespace {

using namespace std::chrono_literals;

const uint32_t kPlaceholder = PixelRgb(kViewColours.placeholder);
const uint32_t kPanel = PixelRgb(kViewColours.panel);
const uint32_t kTrace = PixelRgb(kViewColours.visualizerTrace);
const uint32_t kPeakMark = PixelRgb(kViewColours.visualizerPeak);

// The player asks the demo station on 127.0.0.1:18000 for the song at
// start-up. If something holds that port, the title would not be "Titre inconnu".
bool DemoStationAnswers() { return !SilentServer(18000).Listening(); }

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(StartXSession(session)) << "Xvfb did not start"; }
  void TearDown() override {
    if (capture != nullptr) cairo_surface_destroy(capture);
    if (playerPid > 0) EndProcess(playerPid);
    server.reset();
    if (HasFailure()) {
      std::ifstream log(session.workDir + "/player/player.log");
      std::cerr << "--- player output\n" << log.rdbuf() << "---\n";
    }
    StopXSession(session);
  }

  // Starts the player with the fake library and waits for its first frame on
  // screen; with a stalling status server, the poll of start-up waits on it.
  void StartPlayerWindow(bool stallingServer = false) {
    if (DemoStationAnswers()) GTEST_SKIP() << "something answers on 127.0.0.1:18000";
    if (stallingServer) {
      server = std::make_unique<SilentServer>(18000);
      ASSERT_TRUE(server->Listening());
    }
    playerPid = StartPlayer(session, PLAYER_PATH, FAKE_BASS_PATH);
    startedAt = std::chrono::steady_clock::now();
    ASSERT_GT(playerPid, 0);
    FindPlayerWindow(session, 15s, window, surfaceTop);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(WaitForSurface([this] { return At(200, 200) == kPlaceholder; }, 10s))
        << "the first frame never showed";
    firstFrameAfter = std::chrono::steady_clock::now() - startedAt;
  }
  // Sends `signal` to the player; it must end with 0 within a second.
  void ExpectSignalEndsWithZero(int signal) {
    const auto sentAt = std::chrono::steady_clock::now();
    kill(playerPid, signal);
    const std::optional<int> code = WaitForExit(playerPid, 10s);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sentAt);
    ASSERT_TRUE(code) << "still running";
    playerPid = 0;
    EXPECT_EQ(*code, 0);
    std::cout << strsignal(signal) << ": ended after " << took.count() << " ms (bound 1000 ms)\n";
    EXPECT_LE(took.count(), 1000);
  }
  // Polls screenshots until `seen` holds for one of them.
  bool WaitForSurface(const std::function<bool()>& seen, std::chrono::milliseconds timeout) {
    return WaitUntil(
        [&] {
          if (capture != nullptr) cairo_surface_destroy(capture);
          capture = CaptureWindow(session, window);
          return capture != nullptr && cairo_image_surface_get_height(capture) >= surfaceTop + 300 &&
                 seen();
        },
        timeout);
  }
  // A pixel of the drawing surface in the last screenshot.
  uint32_t At(int x, int y) { return PixelAt(capture, x, surfaceTop + y); }
  // Clicks at a point of the window (menu bar included).
  bool Click(int x, int y) {
    return RunInSession(session, "xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
                                     std::to_string(y) + " click 1")
        .has_value();
  }

  XSession session;
  std::unique_ptr<SilentServer> server;  // on the demo station's port, never answering
  std::chrono::steady_clock::time_point startedAt;
  std::chrono::steady_clock::duration firstFrameAfter{};
  pid_t playerPid = 0;
  std::string window;
  int surfaceTop = 0;
  cairo_surface_t* capture = nullptr;
};

// The same start-up frame drawn in this process, without a window.
struct HeadlessFrame {
  HeadlessFrame() {
    SetUpHeadlessPlayer(player);
    RenderMainView(player);
  }
  ~HeadlessFrame() { TearDownHeadlessPlayer(player); }
  uint32_t At(int x, int y) { return SurfacePixel(*player.mainSurface, x, y); }
  Player player;
};

TEST_F(WindowTest, StartUpFaceShowsPlaceholderUnknownSongOffBadgeAndKnobWhileThePollStalls) {
  StartPlayerWindow(true);
  if (IsSkipped() || HasFatalFailure()) return;
  const auto shownMs = std::chrono::duration_cast<std::chrono::milliseconds>(firstFrameAfter).count();
  std::cout << "first frame on screen " << shownMs << " ms after start (bound 2000 ms)\n";
  EXPECT_LE(shownMs, 2000);
  EXPECT_GE(server->Held(), 1) << "the poll did not reach the server";
  HeadlessFrame expected;

  // Every pixel against the headless frame.
  int differing = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 800; ++x) {
      if (At(x, y) != expected.At(x, y) && differing++ == 0) firstX = x, firstY = y;
    }
  }
  EXPECT_EQ(differing, 0) << "first at (" << firstX << ", " << firstY << ")";
  // The frame's parts are the display tests' concern; here, that the texts
  // are there at all (no fonts would leave both frames without them).
  int lit = 0;  // "Titre inconnu" and "Artiste inconnu" in pale text on the dark gradient
  for (int y = 24; y < 84; ++y) {
    for (int x = 280; x < 500; ++x) lit += (At(x, y) >> 16) > 120;
  }
  EXPECT_GT(lit, 200);
}

TEST_F(WindowTest, KeyVAloneChangesThePanel) {
  StartPlayerWindow();
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_EQ(At(300, 135), kPanel);
  // With a modifier the key is not the shortcut; each tick would show a change within 80 ms.
  for (const char* key : {"shift+v", "ctrl+v"}) {
    SCOPED_TRACE(key);
    ASSERT_TRUE(RunInSession(session, "xdotool windowfocus --sync " + window + " key " + key));
    std::this_thread::sleep_for(400ms);
    ASSERT_TRUE(WaitForSurface([] { return true; }, 5s));
    EXPECT_EQ(At(300, 135), kPanel);
    EXPECT_EQ(At(288, 178), kPeakMark) << "still mode 1";
  }
  ASSERT_TRUE(RunInSession(session, "xdotool windowfocus --sync " + window + " key v"));
  // Mode 2 at rest: only the middle line.
  EXPECT_TRUE(WaitForSurface([this] { return At(300, 135) == kTrace; }, 5s));
  EXPECT_EQ(At(288, 178), kPanel);
}

TEST_F(WindowTest, QuitFromTheFileMenuExitsWithZero) {
  StartPlayerWindow();
  if (IsSkipped() || HasFatalFailure()) return;
  ASSERT_TRUE(Click(20, surfaceTop / 2));  // "Fichier", first on the menu bar
  // "Quitter" is the menu's only item, just under the bar. The menu opens
  // on the click; keep clicking the item until the player is gone.
  std::optional<int> code;
  WaitUntil(
      [&] {
        Click(40, surfaceTop + 16);
        code = WaitForExit(playerPid, 500ms);
        return code.has_value();
      },
      10s);
  ASSERT_TRUE(code) << "still running";
  playerPid = 0;
  EXPECT_EQ(*code, 0);
}

// Termination signals wherever the player waits: in its loop, in the poll of
// start-up, in a transfer started by a handler, in a start-up message box.
TEST_F(WindowTest, TerminationSignalInTheLoopShutsDownWithZero) {
  StartPlayerWindow();
  if (IsSkipped() || HasFatalFailure()) return;
  ExpectSignalEndsWithZero(SIGTERM);
}

TEST_F(WindowTest, TerminationSignalDuringTheStartUpPollEndsItAtOnce) {
  StartPlayerWindow(true);
  if (IsSkipped() || HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([this] { return server->Held() >= 1; }, 5s));
  ExpectSignalEndsWithZero(SIGINT);
}

TEST_F(WindowTest, TerminationSignalDuringAHandlersTransferEndsItAtOnce) {
  StartPlayerWindow();
  if (IsSkipped() || HasFatalFailure()) return;
  // Play (the fake library opens at once), then the poll that follows stalls.
  server = std::make_unique<SilentServer>(18000);
  ASSERT_TRUE(server->Listening());
  ASSERT_TRUE(Click(306, surfaceTop + 236));
  ASSERT_TRUE(WaitUntil([this] { return server->Held() >= 1; }, 5s)) << "no poll after play";
  ExpectSignalEndsWithZero(SIGHUP);
}

TEST_F(WindowTest, MissingLibraryShowsItsMessageAndNoWindow) {
  playerPid = StartPlayer(session, PLAYER_PATH, "");
  ASSERT_GT(playerPid, 0);
  const auto box = FindWindow(session, "BASS manquant", 15s);
  ASSERT_TRUE(box) << "no message box";
  window = *box;
  EXPECT_FALSE(FindWindow(session, kPlayerWindow.title, 0ms));
  // The box carries its text: dark writing on the light dialog.
  capture = CaptureWindow(session, window);
  ASSERT_NE(capture, nullptr);
  const int width = cairo_image_surface_get_width(capture), height = cairo_image_surface_get_height(capture);
  EXPECT_GT(width, 300);  // wide enough for the long sentence, wrapped or not
  int dark = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) dark += (PixelAt(capture, x, y) & 0xFF) < 80;
  }
  EXPECT_GT(dark, 300);
  // OK closes it; the program then ends with 0.
  ASSERT_TRUE(RunInSession(session, "xdotool windowfocus --sync " + window + " key Return"));
  const auto code = WaitForExit(playerPid, 10s);
  ASSERT_TRUE(code);
  playerPid = 0;
  EXPECT_EQ(*code, 0);
}

TEST_F(WindowTest, TerminationSignalInAStartUpBoxClosesItAndEndsWithZero) {
  playerPid = StartPlayer(session, PLAYER_PATH, "");
  ASSERT_GT(playerPid, 0);
  ASSERT_TRUE(FindWindow(session, "BASS manquant", 15s)) << "no message box";
  ExpectSignalEndsWithZero(SIGTERM);
}

}  // namespace
