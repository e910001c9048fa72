// SPDX-License-Identifier: GPL-3.0-or-later
// The player as the desktop sees it, on a session bus of the test's own:
// its media controls (driven with playerctl), what it asks of the session
// while on air (told to fake session services), what a screen reader reads
// (over AT-SPI) and its window at display scale 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "display/view_colours.h"
#include "listener_checks.h"
#include "player_window.h"
#include "listener_session.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const uint32_t kKnob = PixelRgb(kViewColours.knob);
const uint32_t kTrack = PixelRgb(kViewColours.track);

int Occurrences(const std::string& text, const std::string& what) {
  int count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

std::string Trimmed(const std::optional<std::string>& text) {
  std::string value = text.value_or("");
  while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
  return value;
}

class DesktopTest : public Listener {
 protected:
  // The player with a session bus, the session's keep-awake services (the
  // portal too, unless told otherwise) and a recorder of what it signals.
  void StartOnDesktop(const std::vector<std::string>& stationOptions, bool portal) {
    privateBus = true;
    playerEnvironment.push_back({"NO_AT_BRIDGE", ""});  // a screen reader may look
    Start(stationOptions);
    if (HasFatalFailure()) return;
    servicesLog_ = session.workDir + "/session-services.log";
    const EnvironmentVariables onBus = {{"DBUS_SESSION_BUS_ADDRESS", busAddress}, {"ASAN_OPTIONS", "detect_leaks=0"}};
    servicesPid_ = SpawnProcess({FAKE_SERVICES_PATH, portal ? "" : "--no-portal"}, servicesLog_, onBus);
    ASSERT_TRUE(WaitUntil([&] { return ReadWhole(servicesLog_).find("ready") != std::string::npos; }, 10s));
    signalsLog_ = session.workDir + "/signals.log";
    monitorPid_ = SpawnProcess({"dbus-monitor", "--address", busAddress,
                                "type='signal',member='PropertiesChanged',path='/org/mpris/MediaPlayer2'"},
                               signalsLog_);
    ASSERT_GT(monitorPid_, 0);
  }
  void TearDown() override {
    for (pid_t pid : {monitorPid_, servicesPid_}) EndProcess(pid, 1s);
    Listener::TearDown();
  }

  std::string Playerctl(const std::string& arguments) {
    return Trimmed(OnBus("playerctl --player=orvelle_player " + arguments));
  }
  // Grants of `kind` ("portal", "session-manager") not yet released.
  int Held(const std::string& kind) {
    const std::string log = ReadWhole(servicesLog_);
    return Occurrences(log, "inhibit " + kind) - Occurrences(log, "release " + kind);
  }
  // PropertiesChanged signals that carried `property`, so far.
  int Signalled(const std::string& property) {
    return Occurrences(ReadWhole(signalsLog_), "string \"" + property + "\"");
  }
  // The drawing area's accessible name, as a screen reader reads it.
  std::string SpokenName() {
    const std::string both = OnBus(ACCESSIBLE_PROBE_PATH).value_or("");
    return both.substr(0, both.find('\n'));
  }
  std::string ArtPath() {
    const std::string url = Playerctl("metadata mpris:artUrl");
    return url.rfind("file://", 0) == 0 ? url.substr(7) : "";
  }

  pid_t servicesPid_ = 0, monitorPid_ = 0;
  std::string servicesLog_, signalsLog_;
};

// 0xRRGGBB of the middle of a PNG file, and its size; 0 size if unreadable.
struct Png {
  int width = 0, height = 0;
  uint32_t middle = 0;
};
Png ReadPng(const std::string& path) {
  cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
  Png png;
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    png = {cairo_image_surface_get_width(image), cairo_image_surface_get_height(image),
           PixelAt(image, cairo_image_surface_get_width(image) / 2, cairo_image_surface_get_height(image) / 2)};
  }
  cairo_surface_destroy(image);
  return png;
}

TEST_F(DesktopTest, MediaControlsScreenReaderAndSessionFollowTheWindow) {
  StartOnDesktop({"--first-song", "0", "--song-seconds", "14"}, true);
  if (HasFatalFailure()) return;

  // The name, the song of the start-up poll with its cover, stopped.
  ASSERT_TRUE(WaitUntil([&] { return Trimmed(OnBus("playerctl --list-all")) == "orvelle_player"; }, 10s))
      << OnBus("playerctl --list-all").value_or("(nothing)");
  ASSERT_TRUE(WaitUntil([&] { return Playerctl("metadata xesam:title") == "Night Song"; }, 10s));
  EXPECT_EQ(Playerctl("metadata xesam:artist"), "Blue Sky");
  EXPECT_EQ(Playerctl("status"), "Stopped");
  const std::string firstArt = ArtPath();
  ASSERT_TRUE(fs::exists(firstArt)) << firstArt;
  EXPECT_EQ(fs::path(firstArt).parent_path(), fs::path(runtimeDir) / "orvelle-player");
  const Png firstCover = ReadPng(firstArt);
  EXPECT_EQ(firstCover.width, 250);
  EXPECT_EQ(firstCover.height, 250);
  EXPECT_TRUE(Near(firstCover.middle, kCoverOf[0], 16)) << std::hex << firstCover.middle;
  EXPECT_TRUE(WaitUntil([&] { return SpokenName() == "Orvelle Player, Night Song, Blue Sky, arrêté"; }, 5s))
      << SpokenName();
  EXPECT_EQ(Held("portal"), 0);

  {
    // A second player, on another display of the same session bus, takes a
    // name of its own; leaving, it leaves the first one's cover. (The same X
    // server named another way: one player per display name.)
    const pid_t second = SpawnProcess({session.workDir + "/player/orvelle-player"}, session.workDir + "/second.log",
                                      {{"DISPLAY", session.display + ".0"}, {"GDK_BACKEND", "x11"}, {"NO_AT_BRIDGE", "1"},
                                       {"ASAN_OPTIONS", "detect_leaks=0"}, {"DBUS_SESSION_BUS_ADDRESS", busAddress},
                                       {"XDG_RUNTIME_DIR", runtimeDir}});
    const std::string instance = "orvelle_player.instance" + std::to_string(second);
    EXPECT_TRUE(WaitUntil([&] { return OnBus("playerctl --list-all").value_or("").find(instance) != std::string::npos; },
                          15s))
        << OnBus("playerctl --list-all").value_or("(nothing)");
    EndProcess(second, 5s);
    EXPECT_TRUE(fs::exists(firstArt));
  }

  // Play: LIVE on screen, Playing on the bus, the session kept awake.
  const int statusSignals = Signalled("PlaybackStatus");
  ASSERT_TRUE(OnBus("playerctl --player=orvelle_player play"));
  ASSERT_TRUE(WaitForSurface([&] { return BadgeLive(); }, 10s)) << "never LIVE";
  EXPECT_EQ(Playerctl("status"), "Playing");
  EXPECT_TRUE(WaitUntil([&] { return Held("portal") == 1; }, 5s)) << ReadWhole(servicesLog_);
  EXPECT_NE(ReadWhole(servicesLog_).find("window=x11:"), std::string::npos) << ReadWhole(servicesLog_);
  EXPECT_EQ(SpokenName(), "Orvelle Player, Night Song, Blue Sky, en direct");
  EXPECT_EQ(Signalled("PlaybackStatus"), statusSignals + 1);

  // Signalled on change only: two seconds of animation and polls change nothing.
  const std::string signalsBefore = ReadWhole(signalsLog_);
  std::this_thread::sleep_for(2s);
  EXPECT_EQ(ReadWhole(signalsLog_), signalsBefore);

  // Volume from the bus moves the knob as a drag would, and is read back.
  ASSERT_TRUE(OnBus("playerctl --player=orvelle_player volume 0.25"));
  EXPECT_TRUE(WaitForSurface([&] { return Near(At(485, 238), kKnob, 8) && Near(At(584, 238), kTrack, 8); }, 3s))
      << std::hex << At(485, 238) << " " << At(584, 238);
  EXPECT_EQ(Playerctl("volume"), "0.250000");
  EXPECT_EQ(Signalled("Volume"), 1);
  ASSERT_TRUE(OnBus("playerctl --player=orvelle_player volume 0.25"));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(Signalled("Volume"), 1) << "the same volume again is no change";

  // The next song: new metadata within one poll, a new cover file, the old one gone.
  const auto changed = WaitForSong(1, 20s);
  ASSERT_TRUE(changed);
  const auto title = TimeUntil([&] { return Playerctl("metadata xesam:title") == "Carré Magique"; }, *changed, 15s);
  ASSERT_TRUE(title) << Playerctl("metadata");
  std::cout << "metadata of the next song after " << title->count() << " ms (bound 11000 ms)\n";
  EXPECT_LE(title->count(), 11000);
  EXPECT_EQ(Playerctl("metadata xesam:artist"), "Les Ondes Vertes");
  // The title comes first, with the last cover under a name of its own; the
  // song's own cover follows as soon as it is downloaded.
  std::string nextArt;
  EXPECT_TRUE(WaitUntil(
      [&] {
        nextArt = ArtPath();
        return Near(ReadPng(nextArt).middle, kCoverOf[1], 16);
      },
      5s))
      << nextArt;
  EXPECT_NE(nextArt, firstArt);
  EXPECT_FALSE(fs::exists(firstArt));
  EXPECT_EQ(SpokenName(), "Orvelle Player, Carré Magique, Les Ondes Vertes, en direct");

  // Stop: OFF on screen and on the bus, the session let go.
  ASSERT_TRUE(OnBus("playerctl --player=orvelle_player stop"));
  EXPECT_TRUE(WaitForSurface([&] { return !BadgeLive(); }, 3s));
  EXPECT_EQ(Playerctl("status"), "Stopped");
  EXPECT_TRUE(WaitUntil([&] { return Held("portal") == 0; }, 5s)) << ReadWhole(servicesLog_);

  // Quit is the usual way out; the cover files go with the player.
  ASSERT_TRUE(OnBus("gdbus call --session --dest org.mpris.MediaPlayer2.orvelle_player "
                    "--object-path /org/mpris/MediaPlayer2 --method org.mpris.MediaPlayer2.Quit"));
  ExpectEndsWithZero(10s, "still running");
  EXPECT_FALSE(fs::exists(fs::path(runtimeDir) / "orvelle-player"));
}

TEST_F(DesktopTest, AScreenReaderFindsPressesAndSetsTheWindowsControls) {
  StartOnDesktop(kOneLongSong, true);
  if (HasFatalFailure()) return;
  const auto controls = [&] { return OnBus(std::string(ACCESSIBLE_PROBE_PATH) + " controls").value_or(""); };
  const std::string idle = "push button|Lecture|-|press \npush button|Arr\u00EAt|-|press \nslider|Volume|-||80 0 100 5\n";
  EXPECT_TRUE(WaitUntil([&] { return controls() == idle; }, 10s)) << controls();

  ASSERT_TRUE(OnBus(std::string(ACCESSIBLE_PROBE_PATH) + " press Lecture"));
  EXPECT_TRUE(WaitForSurface([&] { return BadgeLive(); }, 10s)) << "never LIVE";
  EXPECT_TRUE(WaitUntil([&] { return controls().find("|Lecture|pressed|") != std::string::npos; }, 5s)) << controls();
  EXPECT_TRUE(WaitUntil([&] { return SpokenName().ends_with(", en direct"); }, 5s)) << SpokenName();

  ASSERT_TRUE(OnBus(std::string(ACCESSIBLE_PROBE_PATH) + " set Volume 25"));
  EXPECT_TRUE(WaitForSurface([&] { return KnobAt(0.25); }, 3s)) << std::hex << At(485, 238);
  EXPECT_NE(controls().find("slider|Volume|-||25 0 100 5"), std::string::npos) << controls();

  ASSERT_TRUE(OnBus(std::string(ACCESSIBLE_PROBE_PATH) + " press Arr\u00EAt"));
  EXPECT_TRUE(WaitForSurface([&] { return !BadgeLive(); }, 10s)) << "never OFF";
}

TEST_F(DesktopTest, PlayIsAnsweredAtOnceWhenTheStreamCannotOpenAndTheBoxStillShows) {
  StartOnDesktop({"--refuse-stream", "404"}, true);
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([&] { return Trimmed(OnBus("playerctl --list-all")) == "orvelle_player"; }, 10s));
  const auto sentAt = Clock::now();
  const pid_t first = SpawnProcess({"playerctl", "--player=orvelle_player", "play"}, "",
                                   {{"DBUS_SESSION_BUS_ADDRESS", busAddress}});
  const auto answered = WaitForExit(first, 10s);
  ASSERT_TRUE(answered) << "no answer while the box shows";
  EXPECT_EQ(*answered, 0);
  ExpectWithin(Since(sentAt), "Play answered", 1000);
  const auto box = FindWindow(session, "Erreur", 15s);
  ASSERT_TRUE(box) << "no message box";
  // Another call meanwhile is not run inside the box's loop: refused at once.
  EXPECT_FALSE(OnBus("playerctl --player=orvelle_player play", 5));
  EXPECT_EQ(Trimmed(RunInSession(session, "xdotool search --onlyvisible --name '^Erreur$' | wc -l")), "1");
  ASSERT_TRUE(RunInSession(session, "xdotool windowfocus --sync " + *box + " key Return"));
  EXPECT_TRUE(WaitUntil([&] { return !FindWindow(session, "Erreur", 0ms); }, 5s));
  EXPECT_TRUE(PlayerRunning());
  EXPECT_EQ(Playerctl("status"), "Stopped");
}

// How sharp the edges in a box of an image are, from 0 to 1: the mean
// brightness step between neighbours, weighted by the step, over the box's
// contrast. A step made in one pixel counts 1, one spread over two pixels
// (an upscaled picture) about one half.
double EdgeSharpness(cairo_surface_t* image, int left, int top, int width, int height) {
  const auto luma = [&](int x, int y) {
    const uint32_t p = PixelAt(image, x, y);
    return 0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF);
  };
  double lowest = 255, highest = 0, sum = 0, sumSquares = 0;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      lowest = std::min(lowest, luma(x, y));
      highest = std::max(highest, luma(x, y));
      if (x + 1 < left + width) {
        const double step = std::abs(luma(x + 1, y) - luma(x, y));
        sum += step;
        sumSquares += step * step;
      }
    }
  }
  if (sum == 0 || highest <= lowest) return 0;
  return sumSquares / sum / (highest - lowest);
}

TEST_F(DesktopTest, AtScaleTwoTextIsAsSharpAsTheMenusAndPlayPauseKeepsTheSessionAwakeWhileLive) {
  scale = 2;
  StartOnDesktop({"--first-song", "0", "--song-seconds", "120"}, false);
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitForSurface([&] { return CoverIs(kCoverOf[0]); }, 10s)) << std::hex << At(143, 143);
  std::this_thread::sleep_for(200ms);  // the title comes with the cover, in the same frame or the next
  ASSERT_TRUE(Capture());
  cairo_surface_t* frame = Keep();
  // The title line against the menu bar's titles, both in display pixels.
  const double title = EdgeSharpness(frame, 280 * 2, surfaceTop + 24 * 2, 200 * 2, 30 * 2);
  const double menu = EdgeSharpness(frame, 0, 0, 200 * 2, surfaceTop);
  std::cout << "edge sharpness: title " << title << ", menu " << menu << "\n";
  EXPECT_GT(menu, 0.3);
  EXPECT_GE(title, 0.85 * menu);

  // The play-pause key goes LIVE and OFF in turn. Without a portal the
  // session manager is asked, with the window's id, and let go at OFF and at exit.
  for (const bool live : {true, false, true}) {
    SCOPED_TRACE(live ? "to LIVE" : "to OFF");
    ASSERT_TRUE(OnBus("playerctl --player=orvelle_player play-pause"));
    ASSERT_TRUE(WaitForSurface([&] { return BadgeLive() == live; }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return Held("session-manager") == (live ? 1 : 0); }, 5s)) << ReadWhole(servicesLog_);
  }
  EXPECT_EQ(ReadWhole(servicesLog_).find("xid=0 "), std::string::npos) << ReadWhole(servicesLog_);
  ASSERT_TRUE(OnBus("gdbus call --session --dest org.mpris.MediaPlayer2.orvelle_player "
                    "--object-path /org/mpris/MediaPlayer2 --method org.mpris.MediaPlayer2.Quit"));
  ExpectEndsWithZero(10s, "still running");
  EXPECT_EQ(Held("session-manager"), 0) << ReadWhole(servicesLog_);
}

}  // namespace
