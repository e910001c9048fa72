// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/changes.h"
#include "app/frame.h"
#include "app/playback.h"
#include "frame_fixture.h"
#include "fake_audio.h"
#include "fake_shell.h"

namespace {

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    player.audioLibrary.api = FakeAudioApi();
    player.config = BuiltInConfig();
    player.shell = MakeFakeShell(shell);
    ComputeLayout(player.look.layout, player.playback.volume);
  }
  void Press(int x, int y) { DeliverEvent(player, {ShellEvent::Kind::Surface, 0, {PointerKind::LeftPress, x, y}}); }
  void Move(int x, int y) { DeliverEvent(player, {ShellEvent::Kind::Surface, 0, {PointerKind::Move, x, y}}); }
  void Release(int x, int y) { DeliverEvent(player, {ShellEvent::Kind::Surface, 0, {PointerKind::LeftRelease, x, y}}); }
  void Menu(int event) { DeliverEvent(player, {ShellEvent::Kind::Menu, event}); }
  void Tick(int timer) { DeliverEvent(player, {ShellEvent::Kind::Timer, timer}); }
  int Count(const std::string& call) {
    return int(std::count(FakeLog().calls.begin(), FakeLog().calls.end(), call));
  }
  Player player;
  FakeShellLog shell;
};

TEST_F(EventsTest, PlayAndStopAreasIncludeTheirEdges) {
  struct Case {
    int x, y;
    bool plays;
  } cases[] = {{290, 220, true}, {322, 252, true}, {306, 236, true},  {289, 236, false},
               {323, 236, false}, {306, 219, false}, {306, 253, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    ResetFake();
    player.playback.streamHandle = 0;
    Press(c.x, c.y);
    EXPECT_EQ(player.playback.streamHandle != 0, c.plays);
  }
  Press(350, 220);  // stop box corner
  EXPECT_EQ(player.playback.streamHandle, 0u);
  Press(306, 236);
  Press(382, 252);  // the opposite corner
  EXPECT_EQ(player.playback.streamHandle, 0u);
}

TEST_F(EventsTest, VolumeAreaReachesBeyondTheTrack) {
  struct Case {
    int x, y;
    bool drags;
  } cases[] = {{431, 223, true}, {430, 223, true},  {630, 253, true},  {429, 240, false},
               {500, 254, false}, {631, 240, false}, {500, 222, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    player.pointer.volumeDragging = false;
    Press(c.x, c.y);
    EXPECT_EQ(player.pointer.volumeDragging, c.drags);
    EXPECT_FLOAT_EQ(player.playback.volume, 0.8f);  // the press itself changes nothing
  }
}

TEST_F(EventsTest, DragSetsVolumeUntilReleasedAnywhere) {
  Press(500, 238);
  const std::pair<int, float> moves[] = {{300, 0.0f}, {440, 0.0f}, {530, 0.5f}, {620, 1.0f}, {2000, 1.0f}, {-50, 0.0f}};
  for (const auto& [x, volume] : moves) {
    Move(x, 400);  // far below the track: the drag holds anyway
    EXPECT_FLOAT_EQ(player.playback.volume, volume) << x;
  }
  Release(-100, -100);  // released outside the window
  EXPECT_FALSE(player.pointer.volumeDragging);
  Move(600, 238);
  EXPECT_FLOAT_EQ(player.playback.volume, 0.0f);
}

TEST_F(EventsTest, VolumeWithoutStreamIsStoredAndAppliedToTheNextStream) {
  Press(500, 238);
  Move(530, 238);
  Release(530, 238);
  EXPECT_EQ(Count("BASS_ChannelSetAttribute(7,2)"), 0);
  Press(300, 230);
  EXPECT_EQ(Count("BASS_ChannelSetAttribute(7,2)"), 1);
  EXPECT_FLOAT_EQ(FakeLog().lastVolume, 0.5f);
  Press(500, 238);
  Move(620, 238);
  EXPECT_FLOAT_EQ(FakeLog().lastVolume, 1.0f);  // an open stream follows the drag
}

TEST_F(EventsTest, PlaybackControl) {
  StopPlayback(player);  // no stream: nothing asked
  EXPECT_TRUE(FakeLog().calls.empty());

  StartPlayback(player);
  StartPlayback(player);
  EXPECT_EQ(Count("BASS_StreamCreateURL(0,0,0,0)"), 1);
  EXPECT_EQ(Count("BASS_ChannelPlay(7,0)"), 2);
  EXPECT_EQ(FakeLog().lastUrl, player.config.streamUrl);

  StopPlayback(player);
  EXPECT_EQ(player.playback.streamHandle, 0u);
  StartPlayback(player);  // stop then play opens a fresh connection
  EXPECT_EQ(Count("BASS_StreamCreateURL(0,0,0,0)"), 2);
}

TEST_F(EventsTest, FailedOpenShowsTheLibraryCode) {
  FakeScript().createResult = 0;
  FakeScript().errorCode = -1;
  Press(300, 230);
  EXPECT_EQ(player.playback.streamHandle, 0u);
  ASSERT_EQ(shell.messageBoxes.size(), 1u);
  EXPECT_EQ(shell.messageBoxes[0].first, "Erreur");
  EXPECT_EQ(shell.messageBoxes[0].second, "Impossible d'ouvrir le flux (code -1)");
  EXPECT_EQ(Count("BASS_ChannelPlay(0,0)"), 0);
}

TEST_F(EventsTest, MenuEvents) {
  for (int mode = 0; mode <= 5; ++mode) {
    Menu(200 + mode);
    EXPECT_EQ(player.visualizer.visualizerMode, VisualizerMode(mode));
  }
  for (int event : {110, 111, 112, 113}) Menu(event);
  EXPECT_EQ(shell.webPages, (std::vector<std::string>{player.config.stationSiteUrl, player.config.podcastUrl,
                                                      player.config.top30Url, player.config.forumUrl}));
  Menu(120);
  EXPECT_EQ(shell.aboutOpened, 1);
  for (int ignored : {0, 99, 101, 114, 199, 207}) Menu(ignored);
  EXPECT_EQ(player.visualizer.visualizerMode, VisualizerMode::Oscilloscope);
  EXPECT_FALSE(player.handler.quitPending);
  Menu(100);
  EXPECT_TRUE(player.handler.quitPending);
}

TEST_F(EventsTest, ShortcutCyclesModes) {
  player.visualizer.visualizerMode = VisualizerMode::Bars;
  for (int i = 0; i < 6; ++i) Menu(kMenuNextVisualizer);
  EXPECT_EQ(player.visualizer.visualizerMode, VisualizerMode::Bars);
  player.visualizer.visualizerMode = VisualizerMode::Oscilloscope;
  Menu(kMenuNextVisualizer);
  EXPECT_EQ(player.visualizer.visualizerMode, VisualizerMode::Line);
}

TEST_F(EventsTest, PulsePhaseCyclesEvery17Ticks) {
  for (int tick = 1; tick <= 16; ++tick) Tick(kTimerAnimation);
  EXPECT_NEAR(player.visualizer.pulsePhase, 0.96f, 1e-5f);
  Tick(kTimerAnimation);
  EXPECT_EQ(player.visualizer.pulsePhase, 0.0f);
  Tick(12);  // another timer: ignored
  EXPECT_EQ(player.visualizer.pulsePhase, 0.0f);
}

TEST_F(EventsTest, TickFetchesTheSpectrumBeforeTheFrameThatShowsIt) {
  player.mainSurface = CreateSurface(800, 300);
  player.playback.streamHandle = 7;
  player.visualizer.visualizerMode = VisualizerMode::Oscilloscope;
  Tick(kTimerAnimation);
  const std::string fft = std::to_string(kDataFft1024), samples = std::to_string(kDataFloat | 4096);
  EXPECT_EQ(FakeLog().calls, (std::vector<std::string>{"BASS_ChannelIsActive(7)", "BASS_ChannelGetData(7," + fft + ")",
                                                       "BASS_ChannelIsActive(7)", "BASS_ChannelGetData(7," + samples + ")"}));
  EXPECT_EQ(player.visualizer.spectrum[0], FakeScript().spectrumValue);
  DestroySurface(player.mainSurface);
}

TEST_F(EventsTest, AnUnseenWindowIsNotDrawnNorReadsTheAudioButFollowsTheStreamAndIsDrawnOnceSeen) {
  player.mainSurface = CreateSurface(800, 300);
  int presented = 0;
  SetPresent(*player.mainSurface, [&presented](int, int, int, int) { ++presented; });
  std::vector<unsigned> heard;
  player.shell.notifyChanged = [&heard](unsigned changes) { heard.push_back(changes); };
  player.playback.streamHandle = 7;
  player.visualizer.visualizerMode = VisualizerMode::Oscilloscope;

  SetWindowShown(player, false);
  for (int tick = 0; tick < 3; ++tick) Tick(kTimerAnimation);
  EXPECT_EQ(presented, 0);
  EXPECT_EQ(FakeLog().calls, std::vector<std::string>(3, "BASS_ChannelIsActive(7)"));
  EXPECT_NEAR(player.visualizer.pulsePhase, 0.18f, 1e-5f);
  EXPECT_EQ(heard, std::vector<unsigned>{kPlayingChanged});  // the desktop still hears the stream

  FakeLog().calls.clear();
  SetWindowShown(player, true);
  EXPECT_EQ(presented, 1) << "not drawn at once";
  EXPECT_EQ(Count("BASS_ChannelGetData(7," + std::to_string(kDataFft1024) + ")"), 1);
  EXPECT_EQ(Count("BASS_ChannelGetData(7," + std::to_string(kDataFloat | 4096) + ")"), 1);
  DestroySurface(player.mainSurface);
}

TEST_F(EventsTest, ListenersHearOfSongPlayingAndVolumeChangesButNotOfAnIdleTick) {
  player.mainSurface = CreateSurface(800, 300);
  std::optional<std::string> stats;  // the station's answer; nothing else answers
  player.httpGet = [&stats](const std::string& url, const FetchBounds&) {
    return url.find("/stats") != std::string::npos ? stats : std::nullopt;
  };
  std::vector<unsigned> heard;
  player.shell.notifyChanged = [&heard](unsigned changes) { heard.push_back(changes); };
  using K = ShellEvent::Kind;
  const struct {
    const char* what;
    ShellEvent event;
    std::optional<std::string> stats;
    std::vector<unsigned> changes;
  } steps[] = {
      {"idle tick", {K::Timer, kTimerAnimation}, std::nullopt, {}},
      {"press on the slider", {K::Surface, 0, {PointerKind::LeftPress, 500, 238}}, std::nullopt, {}},
      {"drag", {K::Surface, 0, {PointerKind::Move, 530, 238}}, std::nullopt, {kVolumeChanged}},
      {"drag to the same volume", {K::Surface, 0, {PointerKind::Move, 530, 250}}, std::nullopt, {}},
      {"release", {K::Surface, 0, {PointerKind::LeftRelease, 530, 238}}, std::nullopt, {}},
      {"poll, no answer", {K::Timer, kTimerNowPlaying}, std::nullopt, {}},
      {"poll, a new song", {K::Timer, kTimerNowPlaying}, R"({"songtitle":"A - B"})", {kSongChanged}},
      {"poll, the same song", {K::Timer, kTimerNowPlaying}, R"({"songtitle":"A - B"})", {}},
      {"play", {K::Surface, 0, {PointerKind::LeftPress, 306, 236}}, std::nullopt, {kPlayingChanged}},
      {"tick while playing", {K::Timer, kTimerAnimation}, std::nullopt, {}},
      {"stop", {K::Surface, 0, {PointerKind::LeftPress, 366, 236}}, std::nullopt, {kPlayingChanged}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    heard.clear();
    stats = step.stats;
    DeliverEvent(player, step.event);
    EXPECT_EQ(heard, step.changes);
  }
  DestroySurface(player.mainSurface);
}

TEST_F(EventsTest, CommandsFromOtherSourcesStayInRange) {
  using Kind = Command::Kind;
  for (const auto& [volume, stored] : {std::pair{1.5f, 1.0f}, {-0.5f, 0.0f}, {std::nanf(""), 0.0f}, {0.25f, 0.25f}}) {
    RunCommand(player, {Kind::SetVolume, {}, volume});
    EXPECT_EQ(player.playback.volume, stored) << volume;
  }
  player.visualizer.visualizerMode = VisualizerMode::Ring;
  for (int32_t mode : {-1, 6, 1000}) RunCommand(player, {Kind::SelectVisualizer, VisualizerMode(mode)});
  EXPECT_EQ(player.visualizer.visualizerMode, VisualizerMode::Ring);
  RunCommand(player, {Kind::SelectVisualizer, VisualizerMode::Oscilloscope});
  EXPECT_EQ(player.visualizer.visualizerMode, VisualizerMode::Oscilloscope);
}

TEST_F(EventsTest, EventsThatComeWhileAMessageBoxIsOpenDoNothing) {
  FakeScript().createResult = 0;  // play fails with a message box
  const ShellEvent press = {ShellEvent::Kind::Surface, 0, {PointerKind::LeftPress, 306, 236}};
  const struct {
    const char* what;
    ShellEvent event;
    std::function<bool(const Player&)> tookEffect;
  } cases[] = {
      {"animation tick", {ShellEvent::Kind::Timer, kTimerAnimation}, [](const Player& p) { return p.visualizer.pulsePhase > 0; }},
      {"press on the volume slider", {ShellEvent::Kind::Surface, 0, {PointerKind::LeftPress, 500, 238}},
       [](const Player& p) { return p.pointer.volumeDragging; }},
      {"menu Visualizer : Cercle", {ShellEvent::Kind::Menu, 203},
       [](const Player& p) { return p.visualizer.visualizerMode == VisualizerMode::Ring; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InitPlayerState(player);
    player.audioLibrary.api = FakeAudioApi();
    bool boxShown = false;
    player.shell.showMessageBox = [&](const Text&, const Text&) {
      boxShown = true;
      DeliverEvent(player, c.event);
    };
    DeliverEvent(player, press);
    ASSERT_TRUE(boxShown);
    EXPECT_FALSE(c.tookEffect(player)) << "handled inside the press's handler";
    DeliverEvent(player, c.event);
    EXPECT_TRUE(c.tookEffect(player)) << "not handled once the box was closed";
  }
}

// Events that change what the panel shows draw a frame at once, and it shows
// the new state: compared with a frame drawn from that state directly.
TEST(EventsRedraw, MenuModesTheShortcutAndTheTickShowTheirStateAtOnce) {
  const auto ramp = [](Player& p) {
    for (size_t k = 0; k < p.visualizer.spectrum.size(); ++k) p.visualizer.spectrum[k] = float(k % 64) / 64.0f;
  };
  struct Case {
    std::string what;
    ShellEvent event;
    std::function<void(Player&)> before;    // the state the event finds, already on screen
    std::function<void(Player&)> expected;  // the state the new frame must show
  };
  std::vector<Case> cases;
  for (int mode = 0; mode <= 5; ++mode) {
    cases.push_back({"menu " + std::to_string(200 + mode), {ShellEvent::Kind::Menu, 200 + mode},
                     [=](Player& p) { ramp(p), p.visualizer.visualizerMode = VisualizerMode((mode + 1) % 6); },
                     [=](Player& p) { ramp(p), p.visualizer.visualizerMode = VisualizerMode(mode); }});
  }
  cases.push_back({"V", {ShellEvent::Kind::Menu, kMenuNextVisualizer},
                   [=](Player& p) { ramp(p), p.visualizer.visualizerMode = VisualizerMode::Oscilloscope; },
                   [=](Player& p) { ramp(p), p.visualizer.visualizerMode = VisualizerMode::Line; }});
  // The tick fetches the spectrum (0.1 in every bin from the fake) and shows it.
  cases.push_back({"animation tick", {ShellEvent::Kind::Timer, kTimerAnimation}, [](Player&) {},
                   [](Player& p) { p.visualizer.spectrum.fill(0.1f), p.visualizer.pulsePhase = 0.06f; }});

  Layout layout;
  ComputeLayout(layout, PlaybackState{}.volume);
  const Box panel = layout.visualizerBox;
  const auto differing = [&](Surface* a, Surface* b) {
    int count = 0;
    for (int y = int(panel.y); y < int(panel.y + panel.height); ++y) {
      for (int x = int(panel.x); x < int(panel.x + panel.width); ++x) {
        count += SurfacePixel(*a, x, y) != SurfacePixel(*b, x, y);
      }
    }
    return count;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Player player, expected;
    SetUpHeadlessPlayer(expected);
    SetUpHeadlessPlayer(player);  // resets the fake: a live stream with the same samples for both
    FakeScript().samples.resize(1024);
    for (size_t k = 0; k < 1024; ++k) FakeScript().samples[k] = std::sin(float(k) * 0.05f);
    player.playback.streamHandle = expected.playback.streamHandle = 7;
    c.expected(expected);
    RenderMainView(expected);
    c.before(player);
    RenderMainView(player);
    ASSERT_GT(differing(player.mainSurface, expected.mainSurface), 100) << "the case shows no change";
    DeliverEvent(player, c.event);
    EXPECT_EQ(differing(player.mainSurface, expected.mainSurface), 0);
    TearDownHeadlessPlayer(player);
    TearDownHeadlessPlayer(expected);
  }
}

TEST(ClampUnit, Bounds) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::pair<float, float> cases[] = {{-0.5f, 0}, {0, 0}, {0.3f, 0.3f}, {1, 1}, {1.5f, 1},
                                           {inf, 1},   {-inf, 0}, {std::nanf(""), 0}};
  for (const auto& [in, out] : cases) EXPECT_EQ(ClampUnit(in), out) << in;
}

}  // namespace
