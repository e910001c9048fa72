// SPDX-License-Identifier: GPL-3.0-or-later
// What a listener has in front of them, for one test: a private sound server
// with a null sink and a recorder on its monitor, the demo station in the
// fault mode the test asks for, a private X server and the real player with
// the real audio engine beside it. Everything started here is ended by pid
// in TearDown; every wait polls against a deadline.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <cairo.h>

#include "model/layout.h"
#include "model/player_model.h"
#include "x_session.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
inline std::chrono::milliseconds Since(Clock::time_point then) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - then);
}

// A box of the player's drawing surface (800 by 300, below the menu bar).
struct PixelBox {
  int x, y, width, height;
  bool operator==(const PixelBox&) const = default;
};
inline PixelBox PixelsOf(const Box& box) { return {int(box.x), int(box.y), int(box.width), int(box.height)}; }
// The player's own layout, as start-up computes it.
inline const Layout kLayout = [] {
  Layout layout;
  ComputeLayout(layout, PlaybackState{}.volume);
  return layout;
}();
inline constexpr PixelBox kTextLines{280, 20, 520, 66};  // title and artist lines, to the surface's edge
inline const PixelBox kBadgeBox = PixelsOf(kLayout.liveBadgeBox);
inline const PixelBox kVisualizerBox = PixelsOf(kLayout.visualizerBox);

// The station's song on air, from its "song INDEX ELAPSED_MS Artist - Title" lines.
struct OnAir {
  int index = -1;
  std::string text;
  Clock::time_point seenAt;
};

// The main view as the player paints it for a song when idle, without a window.
class ReferenceFrame {
 public:
  // Painted here, by this build's own drawing.
  explicit ReferenceFrame(const std::string& song);
  // Painted elsewhere (by the Windows build): 800 by 300 pixels 0xRRGGBB, row by row.
  explicit ReferenceFrame(std::vector<uint32_t> pixels) : pixels_(std::move(pixels)) {}
  uint32_t At(int x, int y) const { return pixels_[size_t(y) * 800 + size_t(x)]; }

 private:
  std::vector<uint32_t> pixels_;
};

// What a build's toolkit allows in the scenarios below.
struct PlatformBounds {
  int liveAfterFirstPlayMs;  // from the click on play to LIVE, in a fresh session
  int endedAfterCloseMs;     // from the close box to the process's end
};

class Listener : public ::testing::Test {
 protected:
  void TearDown() override;

  // Starts the sound server, the recorder, the station with these extra
  // options, the X server and the player, and waits for the player's window.
  void Start(const std::vector<std::string>& stationOptions);
  // Starts the player in the session, the real audio engine beside it; its
  // pid. The Linux program by default; a test of another build sets its own.
  std::function<pid_t(const XSession&)> launchPlayer;
  // Starts one more player in the session, as Start did; its pid.
  pid_t LaunchPlayer();

  // --- set before Start
  // The display's scale (GDK_SCALE): window, screenshots, clicks and At()
  // stay in surface pixels, `scale` display pixels each way.
  int scale = 1;
  // A session bus of the test's own with a runtime folder, as a desktop
  // session has; the player and OnBus() use it.
  bool privateBus = false;
  // The player's own variables, over the usual ones.
  EnvironmentVariables playerEnvironment;

  // Runs a shell command on the display and the private bus; its output, or
  // nothing if it failed.
  std::optional<std::string> OnBus(const std::string& command, int timeoutSeconds = 10);
  std::string busAddress;
  std::string runtimeDir;  // the session's XDG_RUNTIME_DIR

  // --- the station
  // The songs the station has announced so far, oldest first.
  std::vector<OnAir> SongsOnAir();
  // Waits for the station to put song `index` on air; when it did, as seen here.
  std::optional<Clock::time_point> WaitForSong(int index, std::chrono::milliseconds timeout);
  static std::string SongText(int index);

  // --- the window
  // Takes a new screenshot; false if none could be taken.
  bool Capture();
  // Polls screenshots until `seen` holds for one; false at the deadline.
  bool WaitForSurface(const std::function<bool()>& seen, std::chrono::milliseconds timeout);
  // A pixel (0xRRGGBB) of the drawing surface in the last screenshot.
  uint32_t At(int x, int y) const;
  // Pixels of `box` that differ between the last screenshot and `reference`.
  int Differing(const PixelBox& box, const ReferenceFrame& reference) const;
  // Pixels of `box` that differ between the last screenshot and an earlier one.
  int Differing(const PixelBox& box, cairo_surface_t* earlier) const;
  // A copy of the last screenshot, owned by the fixture.
  cairo_surface_t* Keep();
  bool ShowsSong(const ReferenceFrame& reference) const { return Differing(kTextLines, reference) <= kTextSlackPx; }
  bool BadgeLive() const;  // the red dot of LIVE
  // The dot, which pulses with the frames while LIVE, changes from one
  // screenshot to the next `times` times running.
  bool BadgeKeepsPulsing(int times);
  bool CoverIs(uint32_t rgb) const;

  // How long after `since` a screenshot first showed `seen`; nothing if none
  // did before `timeout` ran out.
  std::optional<std::chrono::milliseconds> TimeUntil(const std::function<bool()>& seen, Clock::time_point since,
                                                     std::chrono::milliseconds timeout);

  // --- the pointer and keyboard, in drawing-surface coordinates
  // The round buttons; play waits until the recorder has warmed the sink up
  // and gives the moment it clicked.
  std::optional<Clock::time_point> PressPlay();
  bool PressStop();
  bool Click(int x, int y);
  bool ClickInside(const Box& box);  // at its middle
  bool Drag(int fromX, int fromY, int toX, int toY);
  bool Key(const std::string& key);
  // Whether `act` (a key, a menu item) changes the visualizer panel beyond
  // what the panel changes by itself meanwhile.
  bool PanelChangesWith(const std::function<bool()>& act);
  // Clicks the menu bar's `index`th title (0 = "Fichier"), found on screen.
  bool OpenMenu(int index);
  // Clicks the `index`th item of the open menu, whose window is found on screen.
  bool ClickMenuItem(int index, int itemCount);
  // Opens the menu that holds the item of that menu event and clicks it,
  // both found where the window description puts them.
  bool ChooseMenuItem(int event);
  bool PlayerRunning();
  std::optional<int> WaitForPlayerExit(std::chrono::milliseconds timeout);
  // The player ends within `timeout`, with 0; `otherwise` says why it failed.
  void ExpectEndsWithZero(std::chrono::milliseconds timeout, const char* otherwise);
  // Start with one long song, then play until the badge shows LIVE.
  void StartPlaying();

  // --- the sound: interleaved stereo floats recorded from the null sink
  size_t RecordMark() const;  // frames recorded so far
  std::vector<float> RecordedSince(size_t mark) const;
  // Records for `duration` from now and returns it.
  std::vector<float> Listen(std::chrono::milliseconds duration);
  // Records for `duration` from the first sound heard within a second from
  // now: the output plays what it held when the screen changed (silence, the
  // stream's start) before what the screen shows. What it heard by then if
  // nothing sounded.
  std::vector<float> ListenOnceHeard(std::chrono::milliseconds duration);

  // --- scenarios every build's player goes through, with the bounds its
  // toolkit allows (Wine takes longer than GTK to end a window).
  // Play goes LIVE with song 0's tone and a moving panel; V and each mode
  // chosen from the "Affichage" menu redraw the panel.
  void PlayGoesLiveWithTheToneAndTheModesRedrawThePanel(const PlatformBounds& bounds);
  // Status pages that never answer hold neither the window, play (LIVE
  // within a second), the frames nor the close box.
  void StatusPagesThatNeverAnswerHoldNothing(const PlatformBounds& bounds);
  // The About window opens from its menu and closes, leaving the player
  // running; `whileOpen` looks at it before it closes.
  void AboutWindowOpensAndClosesLeavingThePlayer(const std::function<void()>& whileOpen = {});
  // The played-songs window, opened from its menu item against a station
  // whose list holds 3 songs, follows two song changes, copies each clicked
  // row (`clipboard` reads it back) and closes on Escape; Ctrl+C on the
  // player window copies the song on air. `frameOf` draws a song's frame;
  // `whileOpen` looks at the new window.
  void PlayedSongsListsCopiesAndCloses(const std::function<ReferenceFrame(int)>& frameOf,
                                       const std::function<std::string()>& clipboard,
                                       const std::function<void()>& whileOpen = {});
  // Once `hide` has hidden the running player's window, a second start
  // brings it back (`shown`) and ends with 0; once the first is killed, the
  // next start opens a window of its own.
  void ASecondStartShowsTheFirstAndAKilledOneHoldsNoneBack(const std::function<bool()>& hide,
                                                           const std::function<bool()>& shown);

  static constexpr int kTextSlackPx = 20;

  XSession session;
  std::string window;
  int surfaceTop = 0;
  Clock::time_point playerStartedAt;
  pid_t playerPid = 0;

 private:
  void WaitForWarmRecorder() const;
  bool StartPulse();
  bool StartBus();
  bool StartStation(const std::vector<std::string>& options);

  pid_t pulsePid_ = 0, recorderPid_ = 0, stationPid_ = 0, busPid_ = 0;
  Clock::time_point recorderStartedAt_;
  std::string pulseDir_, recordingPath_, stationLog_;
  std::vector<OnAir> songs_;
  size_t stationLogRead_ = 0;
  int menuTitleX_ = 0;
  cairo_surface_t* capture_ = nullptr;
  std::vector<cairo_surface_t*> kept_;
};
