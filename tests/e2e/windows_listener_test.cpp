// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows player, orvelle-player.exe with libbass.dll beside it, under
// Wine, as a listener uses it: started beside the demo station, driven by
// pointer, keys and menus on its window, judged by what the window shows,
// what the sound server receives and what Windows itself says of its
// windows (wine_probe.exe, run in the same Wine prefix). A Linux program:
// the Windows build's ctest runs it and names the Windows programs.
#include "support/local_server.h"  // httplib first

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/window_description.h"
#include "listener_checks.h"
#include "listener_session.h"
#include "logging_proxy.h"
#include "x_window_tools.h"

namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Window styles, as <windows.h> numbers them.
constexpr unsigned long kCaption = 0x00C00000, kSystemMenu = 0x00080000, kSizingBorder = 0x00040000,
                        kMinimizeBox = 0x00020000, kMaximizeBox = 0x00010000, kMinimized = 0x20000000;

// What Wine allows: LIVE within 3 s of the first play of a session. Without
// a window manager Wine waits 2 s in DestroyWindow for a withdrawal that
// none sends, whatever the player does: after the close box only a hang is
// looked for.
constexpr PlatformBounds kWineBounds{3000, 5000};

// What `wine_probe window TITLE` answers.
struct WindowFacts {
  int width = 0, height = 0;
  unsigned long style = 0;
};

class WindowsListener : public Listener {
 protected:
  void SetUp() override {
    ASSERT_FALSE(player_.empty() || engine_.empty() || probe_.empty() || prefix_.empty())
        << "run by the Windows build's ctest, which names its programs and its Wine prefix";
    launchPlayer = [this](const XSession& s) { return StartWindowsPlayer(s, true); };
  }

  EnvironmentVariables WineEnvironment(const XSession& s) const {
    return {{"DISPLAY", s.display}, {"WINEPREFIX", prefix_}, {"WINEDEBUG", "-all"},
            {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
  }
  // `wine ARGUMENTS` in the test's prefix, as a shell command; `debug` sets WINEDEBUG.
  std::string Wine(const std::string& arguments, const std::string& debug = "-all") const {
    std::string command;
    for (const auto& [name, value] : WineEnvironment(session))
      command += name + "=" + Quote(name == "WINEDEBUG" ? debug : value) + " ";
    return command + "wine " + arguments;
  }

  // The player copied into the session's folder, with the engine beside it
  // or not, started under Wine; `pathFirst` goes first on PATH. Its pid.
  pid_t StartWindowsPlayer(const XSession& s, bool withEngine, const std::string& pathFirst = "") {
    const fs::path dir = fs::path(s.workDir) / "player";
    std::error_code error;
    fs::create_directories(dir, error);
    // Copied once per session: a second start runs the copy the first is running.
    fs::copy_file(player_, dir / "orvelle-player.exe", fs::copy_options::skip_existing, error);
    if (withEngine) fs::copy_file(engine_, dir / "libbass.dll", fs::copy_options::skip_existing, error);
    if (error) return 0;
    EnvironmentVariables environment = WineEnvironment(s);
    if (!pathFirst.empty()) environment.push_back({"PATH", pathFirst + ":" + Env("PATH")});
    // Started in its own folder: the system search for a library looks in the
    // working folder too, and the test's own may hold a libbass.dll.
    return SpawnProcess({"sh", "-c", "cd " + Quote(dir.string()) + " && exec wine orvelle-player.exe"},
                        (dir / "player.log").string(), environment);
  }

  // The probe's answer, or nothing when it has none.
  std::optional<std::string> Probe(const std::vector<std::string>& arguments) {
    const std::string out = session.workDir + "/probe.out";
    std::string command = Wine(Quote(probe_));
    for (const std::string& argument : arguments) command += " " + Quote(argument);
    // Into a file: a pipe would be held open by Wine's own services.
    if (!RunInSession(session, command + " >" + Quote(out) + " 2>/dev/null", 60)) return std::nullopt;
    return ReadWhole(out);
  }

  std::optional<WindowFacts> Window(const std::string& title) {
    const auto answer = Probe({"window", title});
    WindowFacts facts;
    if (!answer || std::sscanf(answer->c_str(), "%d %d %lx", &facts.width, &facts.height, &facts.style) != 3)
      return std::nullopt;
    return facts;
  }

  // The main view's device pixels as the Windows build paints it for `song`
  // when idle, at `scale` (800 * scale by 300 * scale), row by row.
  std::vector<uint32_t> WindowsPixels(const std::string& song, int scale = 1) {
    const std::string file = session.workDir + "/frame.raw";
    std::vector<uint32_t> pixels(size_t(800 * scale) * size_t(300 * scale), 0);
    if (Probe({"frame", song, file, std::to_string(scale)})) {
      std::ifstream(file, std::ios::binary)
          .read(reinterpret_cast<char*>(pixels.data()), std::streamsize(pixels.size() * 4));
    }
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
  }
  ReferenceFrame WindowsFrame(const std::string& song) { return ReferenceFrame(WindowsPixels(song)); }

  // `wine reg ARGUMENTS` in the test's prefix.
  bool WineReg(const std::string& arguments) {
    return RunInSession(session, Wine("reg " + arguments + " >/dev/null"), 60).has_value();
  }

  // A stand-in for the desktop's URL handler, first on PATH: it writes
  // each argument it gets on a line of its own into `args`.
  std::string FakeUrlHandler(const std::string& folder) {
    fs::create_directories(folder);
    std::ofstream(folder + "/xdg-open") << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " << folder
                                        << "/args.tmp\nmv " << folder << "/args.tmp " << folder << "/args\n";
    chmod((folder + "/xdg-open").c_str(), 0755);
    return folder;
  }

 private:
  const std::string player_ = Env("ORVELLE_WINDOWS_PLAYER");
  const std::string engine_ = Env("ORVELLE_WINDOWS_ENGINE");
  const std::string probe_ = Env("ORVELLE_WINE_PROBE");
  const std::string prefix_ = Env("WINEPREFIX");
};

TEST_F(WindowsListener, StartUpFrameInAFixedWindowWithAClientAreaOf800By300) {
  // No title to be had: the start-up frame stays on screen.
  Start({"--stats-fault", "notitle", "--status-fault", "notitle"});
  if (HasFatalFailure()) return;
  const auto facts = Window(kPlayerWindow.title);
  ASSERT_TRUE(facts) << "Windows knows no such window";
  EXPECT_EQ(std::pair(facts->width, facts->height), std::pair(800, 300));
  EXPECT_EQ(facts->style & (kCaption | kSystemMenu | kMinimizeBox), kCaption | kSystemMenu | kMinimizeBox);
  EXPECT_EQ(facts->style & (kSizingBorder | kMaximizeBox), 0u) << "resizable";

  // "Titre inconnu" over "Artiste inconnu", the placeholder, OFF: every pixel.
  const ReferenceFrame startUp = WindowsFrame("");
  const PixelBox whole{0, 0, 800, 300};
  EXPECT_TRUE(WaitForSurface([&] { return Differing(whole, startUp) == 0; }, 10s))
      << Differing(whole, startUp) << " pixels differ from the start-up frame";
  EXPECT_FALSE(BadgeLive());
}

TEST_F(WindowsListener, PlaysTheStationLiveWithTheSongsTitleCoverAndTone) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  const ReferenceFrame song0 = WindowsFrame(SongText(0));
  const auto shown = TimeUntil([&] { return ShowsSong(song0) && CoverIs(kCoverOf[0]); }, playerStartedAt, 20s);
  ASSERT_TRUE(shown) << Differing(kTextLines, song0) << " pixels of the title and artist differ; cover "
                     << std::hex << At(143, 143);
  ExpectWithin(*shown, "title and cover shown", 8000);
  PlayGoesLiveWithTheToneAndTheModesRedrawThePanel(kWineBounds);
}

TEST_F(WindowsListener, StatusPagesThatNeverAnswerHoldNeitherFramesNorPlayNorTheCloseBox) {
  StatusPagesThatNeverAnswerHoldNothing(kWineBounds);
}

TEST_F(WindowsListener, AboutWindowThenQuitterEndsWithZero) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  // Its window as Windows holds it, before it closes.
  AboutWindowOpensAndClosesLeavingThePlayer([this] {
    const auto facts = Window(kAboutWindow.title);
    ASSERT_TRUE(facts);
    EXPECT_EQ(std::pair(facts->width, facts->height), std::pair(kAboutWindow.width, kAboutWindow.height));
    EXPECT_EQ(facts->style & (kSizingBorder | kMaximizeBox | kMinimizeBox), 0u);
  });
  if (HasFatalFailure()) return;

  ASSERT_TRUE(ChooseMenuItem(kMenuQuit));
  ExpectEndsWithZero(15s, "still running after Quitter");
  EXPECT_FALSE(FindWindow(session, kPlayerWindow.title, 0ms)) << "the window outlived the player";
}

TEST_F(WindowsListener, PlayedSongsListsTheStationsEarlierSongsThenThoseSeenAndCopiesTheClickedOne) {
  // CF_UNICODETEXT, read by a Windows program; its line's end taken off.
  const auto clipboard = [&] {
    const std::string text = Probe({"clipboard"}).value_or("");
    return text.empty() ? text : text.substr(0, text.size() - 1);
  };
  PlayedSongsListsCopiesAndCloses([&](int song) { return WindowsFrame(SongText(song)); }, clipboard, [this] {
    const auto facts = Window(kPlayedSongsWindow.title);
    ASSERT_TRUE(facts);
    EXPECT_EQ(std::pair(facts->width, facts->height), std::pair(kPlayedSongsWindow.width, kPlayedSongsWindow.height));
  });
}

// Logging off while the station plays: Wine's own end of session sends the
// player's window WM_QUERYENDSESSION, then WM_ENDSESSION, and ends whatever
// process is still there once that has returned. The player must have shut
// down (the stream freed, the engine's threads joined) and ended by then.
TEST_F(WindowsListener, LogoffWhilePlayingRunsTheShutdownAndEndsWithZero) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  const auto pressed = PressPlay();
  ASSERT_TRUE(pressed);
  ASSERT_TRUE(TimeUntil([&] { return BadgeLive(); }, *pressed, 15s)) << "never LIVE";
  const std::string trace = session.workDir + "/wineboot.log";
  ASSERT_TRUE(RunInSession(session, Wine("wineboot --end-session >" + Quote(trace) + " 2>&1", "trace+wineboot"), 60));
  ExpectEndsWithZero(15s, "still running after the end of the session");
  EXPECT_EQ(ReadWhole(trace).find("terminating process"), std::string::npos) << "ended by Wine, not by itself";
  const std::string log = ReadWhole(session.workDir + "/player/player.log");
  EXPECT_EQ(log.find("Unhandled"), std::string::npos) << log;
}

TEST_F(WindowsListener, StationSiteOpensThroughRundll32AndTheDesktopsUrlHandler) {
  launchPlayer = [this](const XSession& s) {
    return StartWindowsPlayer(s, true, FakeUrlHandler(s.workDir + "/handler"));
  };
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  ASSERT_TRUE(ChooseMenuItem(kMenuSite));
  const std::string args = session.workDir + "/handler/args";
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(args); }, 20s)) << "the URL handler never ran";
  EXPECT_EQ(ReadWhole(args), "http://127.0.0.1:" + std::to_string(STREAM_PORT) + "/\n");
  EXPECT_TRUE(PlayerRunning());
}

// The proxy a Windows user sets in Internet Options, written as Internet
// Options keeps it: one binary value, read by WinHTTP (and Wine's). Set for
// one test in the test run's prefix, and taken back by TearDown.
class WindowsListenerBehindProxy : public WindowsListener {
 protected:
  void TearDown() override {
    if (proxySet_) WineReg("delete " + Quote(kConnections) + " /v DefaultConnectionSettings /f");
    WindowsListener::TearDown();
  }

  // The user's proxy by hand ("host:port"), and an automatic configuration
  // script's address, either empty for none.
  void SetUserProxy(const std::string& proxy, const std::string& scriptUrl) {
    auto le32 = [](uint32_t value) {
      char hex[9];
      std::snprintf(hex, sizeof hex, "%02x%02x%02x%02x", value & 0xFF, value >> 8 & 0xFF, value >> 16 & 0xFF,
                    value >> 24);
      return std::string(hex);
    };
    auto text = [&](const std::string& value) {
      std::string hex = le32(uint32_t(value.size()));
      for (unsigned char c : value) hex += le32(c).substr(0, 2);
      return hex;
    };
    constexpr uint32_t kDirect = 1, kByHand = 2, kScript = 4;
    const uint32_t flags = kDirect | (proxy.empty() ? 0 : kByHand) | (scriptUrl.empty() ? 0 : kScript);
    // Version, a change counter, the flags, the proxy, the bypass list, the script, then what it leaves at 0.
    const std::string value = le32(0x46) + le32(1) + le32(flags) + text(proxy) + text("") + text(scriptUrl) +
                              std::string(32, '0');
    proxySet_ = true;
    ASSERT_TRUE(WineReg("add " + Quote(kConnections) + " /v DefaultConnectionSettings /t REG_BINARY /d " + value +
                        " /f"));
  }

  // The logging proxy's address, written "127.1": Wine's WinHTTP sends a
  // request through a proxy whose host is written as the server's (both
  // "127.0.0.1" here) as if to the server itself, without the address the
  // proxy needs.
  static std::string ProxyAddress(const orvelle::test::LoggingProxy& proxy) {
    return "127.1:" + std::to_string(proxy.port());
  }

  // Starts the station and the player, waits for the title and cover, plays
  // until LIVE: what went through the proxy meanwhile, host, port and path.
  std::vector<std::string> PlayThrough(orvelle::test::LoggingProxy& proxy) {
    Start(kOneLongSong);
    if (HasFatalFailure()) return {};
    const ReferenceFrame song0 = WindowsFrame(SongText(0));
    EXPECT_TRUE(WaitForSurface([&] { return ShowsSong(song0) && CoverIs(kCoverOf[0]); }, 20s)) << "no title or cover";
    const auto pressed = PressPlay();
    EXPECT_TRUE(pressed && TimeUntil([&] { return BadgeLive(); }, *pressed, 15s)) << "never LIVE";
    return proxy.takeTargets();
  }

  static void ExpectThrough(const std::vector<std::string>& targets, int port, const std::string& pathStart) {
    const std::string wanted = "127.0.0.1:" + std::to_string(port) + pathStart;
    std::string seen;
    for (const std::string& target : targets) seen += "\n  " + target;
    EXPECT_TRUE(std::any_of(targets.begin(), targets.end(), [&](const std::string& t) { return t.rfind(wanted, 0) == 0; }))
        << wanted << " did not go through the proxy; it saw:" << seen;
  }

 private:
  static constexpr const char* kConnections =
      "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

  bool proxySet_ = false;
};

TEST_F(WindowsListenerBehindProxy, TheUsersProxyCarriesTheStatusPagesTheCoverAndTheStream) {
  orvelle::test::LoggingProxy proxy;
  launchPlayer = [&](const XSession& s) {
    SetUserProxy(ProxyAddress(proxy), "");
    return StartWindowsPlayer(s, true);
  };
  const std::vector<std::string> targets = PlayThrough(proxy);
  std::cout << "through the proxy:";
  for (const std::string& target : targets) std::cout << " " << target;
  std::cout << "\n";
  ExpectThrough(targets, STREAM_PORT, "/stats?json=1");
  ExpectThrough(targets, ITUNES_PORT, "/search?");
  ExpectThrough(targets, STREAM_PORT, "/;stream/1");
}

TEST_F(WindowsListenerBehindProxy, AnAutomaticConfigurationScriptChoosesTheProxy) {
  orvelle::test::LoggingProxy proxy;
  // The script, on a server of its own, names the logging proxy; the proxy
  // set by hand leads nowhere, and would be taken if the script were not.
  LocalServer scripts;
  scripts.Serve("/proxy.pac", "function FindProxyForURL(url, host) { return \"PROXY " + ProxyAddress(proxy) + "\"; }",
                "application/x-ns-proxy-autoconfig");
  launchPlayer = [&](const XSession& s) {
    SetUserProxy("127.0.0.1:9", scripts.Base() + "/proxy.pac");
    return StartWindowsPlayer(s, true);
  };
  const std::vector<std::string> targets = PlayThrough(proxy);
  ExpectThrough(targets, STREAM_PORT, "/stats?json=1");
  ExpectThrough(targets, STREAM_PORT, "/;stream/1");
}

// The keyboard's media keys, as WM_APPCOMMAND and as the keys themselves on
// the focused window; play/pause stops while live and plays otherwise.
TEST_F(WindowsListener, MediaKeysPlayAndStop) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  const auto appCommand = [&](int number) { return Probe({"appcommand", kPlayerWindow.title, std::to_string(number)}); };
  constexpr int kPlayPause = 14, kStop = 13, kPlay = 46, kPause = 47, kVolumeUp = 10;
  const auto key = [&](const std::string& name) {
    return RunInSession(session, "xdotool windowfocus --sync " + window + " key " + name).has_value();
  };
  const struct {
    const char* what;
    std::function<bool()> press;
    bool live;
  } steps[] = {
      {"play/pause while stopped", [&] { return appCommand(kPlayPause) == "taken\n"; }, true},
      {"play/pause while live", [&] { return appCommand(kPlayPause) == "taken\n"; }, false},
      {"play", [&] { return appCommand(kPlay) == "taken\n"; }, true},
      {"pause", [&] { return appCommand(kPause) == "taken\n"; }, false},
      {"the play/pause key", [&] { return key("XF86AudioPlay"); }, true},
      {"stop", [&] { return appCommand(kStop) == "taken\n"; }, false},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    ASSERT_TRUE(step.press());
    EXPECT_TRUE(WaitForSurface([&] { return BadgeLive() == step.live; }, 10s));
  }
  EXPECT_EQ(appCommand(kVolumeUp), "passed on\n") << "a key that is not the player's";
}

TEST_F(WindowsListener, KeysPlayStopMoveTheKnobRingAControlAndQuit) { KeysPlayStopMoveTheKnobRingAndQuit(); }

// What a screen reader finds through MSAA: ROLE_SYSTEM_PUSHBUTTON (43) twice, ROLE_SYSTEM_SLIDER (51).
TEST_F(WindowsListener, AScreenReaderFindsPressesAndSetsTheWindowsControls) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  const std::string title = kPlayerWindow.title;
  EXPECT_EQ(Probe({"controls", title}).value_or("(none)"),
            "43|Lecture|-||290,220,32,32\n43|Arr\u00EAt|-||350,220,32,32\n51|Volume|-|80|430,223,200,30\n");
  EXPECT_EQ(Probe({"press", title, "Lecture"}).value_or("(none)"), "done\n");
  EXPECT_TRUE(WaitForSurface([&] { return BadgeLive(); }, 10s)) << "never LIVE";
  const auto controls = [&] { return Probe({"controls", title}).value_or(""); };
  EXPECT_TRUE(WaitUntil([&] { return controls().find("43|Lecture|pressed|") != std::string::npos; }, 5s)) << controls();
  EXPECT_EQ(Probe({"set", title, "Volume", "25"}).value_or("(none)"), "done\n");
  EXPECT_TRUE(WaitForSurface([&] { return KnobAt(0.25); }, 3s)) << std::hex << At(485, 238);
  EXPECT_FALSE(Probe({"press", title, "Volume"})) << "a slider has no default action";
}

TEST_F(WindowsListener, ASecondStartRestoresTheFirstWindowAndACrashHoldsNoStartBack) {
  Start(kOneLongSong);
  if (HasFatalFailure()) return;
  ASecondStartShowsTheFirstAndAKilledOneHoldsNoneBack(
      [&] { return Probe({"minimize", kPlayerWindow.title}) == "iconic\n"; },
      [&] {
        const auto facts = Window(kPlayerWindow.title);
        return facts && (facts->style & kMinimized) == 0;
      });
}

TEST_F(WindowsListener, WithoutTheEngineOnlyTheMissingLibraryBoxThenZero) {
  ASSERT_TRUE(StartXSession(session));
  playerPid = StartWindowsPlayer(session, false);
  ASSERT_GT(playerPid, 0);
  const auto box = FindWindow(session, "BASS manquant", 30s);
  ASSERT_TRUE(box) << "no message box";
  EXPECT_EQ(Probe({"box-text", "BASS manquant"}),
            "La biblioth\u00e8que 'libbass.dll' est introuvable. Place-la \u00e0 c\u00f4t\u00e9 de "
            "l'ex\u00e9cutable ou dans un chemin syst\u00e8me.\n");
  EXPECT_FALSE(FindWindow(session, kPlayerWindow.title, 0ms)) << "a window opened all the same";
  ASSERT_TRUE(RunInSession(session, "xdotool windowfocus --sync " + *box + " key Return"));
  ExpectEndsWithZero(15s, "still running after OK");
}

// The display's DPI as a Windows user sets it, where Wine reads it when a
// program starts: set for one test and taken back by TearDown. Wine keeps
// the screen's size from the display of its first window while its server
// runs, and this test's display is larger: a server of its own before and after.
class WindowsListenerAtDpi : public WindowsListener {
 protected:
  void TearDown() override {
    if (dpiSet_) SetDpi(0);
    WindowsListener::TearDown();
  }

  // 0: none set.
  void SetDpi(int dpi) {
    dpiSet_ = dpi != 0;
    std::string environment;
    for (const auto& [name, value] : WineEnvironment(session)) environment += name + "=" + Quote(value) + " ";
    ASSERT_TRUE(RunInSession(session, environment + "wineserver -k; " + environment + "wineserver -p", 60));
    for (const char* key : {"HKCU\\Control Panel\\Desktop",
                            "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"}) {
      ASSERT_TRUE(WineReg(dpi == 0 ? "delete " + Quote(key) + " /v LogPixels /f"
                                   : "add " + Quote(key) + " /v LogPixels /t REG_DWORD /d " + std::to_string(dpi) + " /f"));
    }
  }

 private:
  bool dpiSet_ = false;
};

// At 192 DPI the client area is 1600 by 600 and shows the frame at full
// resolution: every device pixel as the build paints it at scale 2 (whose
// text the surface's tests hold as sharp as the display allows). A click at
// the play button's place, in device pixels, reaches the button.
TEST_F(WindowsListenerAtDpi, At192DpiTheClientAreaIsTwiceTheSizeAndShowsEveryDevicePixel) {
  scale = 2;  // the session's screenshots and clicks
  launchPlayer = [&](const XSession& s) {
    SetDpi(192);
    return StartWindowsPlayer(s, true);
  };
  // No title to be had: the start-up frame stays on screen.
  Start({"--stats-fault", "notitle", "--status-fault", "notitle"});
  if (HasFatalFailure()) return;
  const auto facts = Window(kPlayerWindow.title);
  ASSERT_TRUE(facts) << "Windows knows no such window";
  EXPECT_EQ(std::pair(facts->width, facts->height), std::pair(1600, 600));

  const std::vector<uint32_t> frame = WindowsPixels("", 2);
  std::vector<uint32_t> corners;  // each surface pixel's top-left device pixel, as At() reads them
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 800; ++x) corners.push_back(frame[size_t(2 * y) * 1600 + size_t(2 * x)]);
  }
  const ReferenceFrame startUp(std::move(corners));
  ASSERT_TRUE(WaitForSurface([&] { return Differing({0, 0, 800, 300}, startUp) == 0; }, 20s));
  cairo_surface_t* shot = Keep();
  int differing = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 1600; ++x) differing += PixelAt(shot, x, surfaceTop + y) != frame[size_t(y) * 1600 + size_t(x)];
  }
  EXPECT_EQ(differing, 0) << "device pixels differ from the frame at scale 2";
  const auto pressed = PressPlay();
  EXPECT_TRUE(pressed && TimeUntil([&] { return BadgeLive(); }, *pressed, 15s)) << "the click did not reach play";
}

}  // namespace
