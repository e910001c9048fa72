// SPDX-License-Identifier: GPL-3.0-or-later
#include "listener_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <thread>

#include "app/fonts.h"
#include "app/player_state.h"
#include "app/frame.h"
#include "listener_checks.h"
#include "player_window.h"
#include "sound.h"

namespace fs = std::filesystem;

namespace {

// The station's songs as it announces them (tools/station/playlist.cpp).
const char* const kSongs[] = {"Blue Sky - Night Song", "Les Ondes Vertes - Carré Magique",
                              "Red Moon feat. Ash - Slow Tide (Radio Edit)", "Quatuor Zinc - Square Dance [Live]",
                              "Anonyme - Silence Radio"};

}  // namespace

// ---------------------------------------------------------------- reference

ReferenceFrame::ReferenceFrame(const std::string& song) {
  Player player;
  InitPlayerState(player);
  LoadFonts(player.look.fonts);
  ComputeLayout(player.look.layout, player.playback.volume);
  player.song.currentSong = T(song);
  player.mainSurface = CreateSurface(800, 300);
  RenderMainView(player);
  pixels_.resize(800 * 300);
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 800; ++x) pixels_[size_t(y) * 800 + size_t(x)] = SurfacePixel(*player.mainSurface, x, y);
  }
  DestroySurface(player.mainSurface);
}

// ---------------------------------------------------------------- set-up

void Listener::Start(const std::vector<std::string>& stationOptions) {
  // A window at scale 2 is 1600 pixels wide: the screen must hold it whole.
  ASSERT_TRUE(StartXSession(session, scale > 1 ? "2048x1536x24" : "1024x768x24")) << "Xvfb did not start";
  ASSERT_TRUE(StartPulse()) << "the private sound server did not start";
  ASSERT_TRUE(StartStation(stationOptions)) << "the station did not start:\n" << ReadWhole(stationLog_);
  if (privateBus) {
    ASSERT_TRUE(StartBus()) << "the private session bus did not start";
  }
  playerPid = LaunchPlayer();
  playerStartedAt = Clock::now();
  ASSERT_GT(playerPid, 0);
  FindPlayerWindow(session, 20s, window, surfaceTop, scale);
}

pid_t Listener::LaunchPlayer() {
  EnvironmentVariables environment = playerEnvironment;
  if (scale > 1) environment.push_back({"GDK_SCALE", std::to_string(scale)});
  return launchPlayer ? launchPlayer(session) : StartPlayer(session, PLAYER_PATH, ENGINE_PATH, environment);
}

bool Listener::StartBus() {
  runtimeDir = session.workDir + "/runtime";
  std::error_code ignored;
  fs::create_directories(runtimeDir, ignored);
  chmod(runtimeDir.c_str(), 0700);
  // What the bus starts (the accessibility bus among others) lives in this session too.
  const EnvironmentVariables sessionVariables = {{"DISPLAY", session.display}, {"XDG_RUNTIME_DIR", runtimeDir}};
  const std::optional<std::string> address = StartPrivateBus(session.workDir + "/bus", sessionVariables, busPid_);
  if (!address) return false;
  busAddress = *address;
  playerEnvironment.push_back({"DBUS_SESSION_BUS_ADDRESS", busAddress});
  playerEnvironment.push_back({"XDG_RUNTIME_DIR", runtimeDir});
  return true;
}

std::optional<std::string> Listener::OnBus(const std::string& command, int timeoutSeconds) {
  return RunInSession(session,
                      "DBUS_SESSION_BUS_ADDRESS=" + Quote(busAddress) + " XDG_RUNTIME_DIR=" + Quote(runtimeDir) +
                          " ASAN_OPTIONS=detect_leaks=0 " + command,
                      timeoutSeconds);
}

bool Listener::StartPulse() {
  pulseDir_ = session.workDir + "/pulse";
  const std::optional<std::string> server = StartPrivatePulse(pulseDir_, pulsePid_);
  if (!server) return false;
  // Everything started from here on (recorder, player) plays into this server.
  setenv("PULSE_SERVER", server->c_str(), 1);
  setenv("PULSE_COOKIE", (pulseDir_ + "/.config/pulse/cookie").c_str(), 1);
  setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
  // The recorder needs a moment before play.
  recordingPath_ = session.workDir + "/monitor.f32";
  const int out = open(recordingPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out < 0) return false;
  close(out);
  recorderPid_ = StartRecorder(recordingPath_);
  recorderStartedAt_ = Clock::now();
  return recorderPid_ != 0;
}

bool Listener::StartStation(const std::vector<std::string>& options) {
  stationLog_ = session.workDir + "/station.log";
  std::vector<std::string> all = {"--quiet", "--port", std::to_string(STREAM_PORT), "--itunes-port",
                                  std::to_string(ITUNES_PORT), "--deezer-port", std::to_string(DEEZER_PORT)};
  all.insert(all.end(), options.begin(), options.end());
  stationPid_ = ::StartStation(STATION_PATH, all, stationLog_);
  return stationPid_ != 0;
}

void Listener::TearDown() {
  if (HasFailure()) {
    // What the screen showed at the end, for whoever reads the failure.
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string shot = std::string(FAILURE_DIR) + "/" + test->name() + ".png";
    std::error_code ignored;
    fs::create_directories(FAILURE_DIR, ignored);
    if (RunInSession(session, "import -window root " + Quote("png:" + shot))) std::cerr << "screen: " << shot << "\n";
  }
  // The player ends on SIGTERM as on "Quitter"; the others at once.
  for (pid_t pid : {playerPid, recorderPid_, stationPid_, pulsePid_, busPid_}) EndProcess(pid, 1s);
  const std::string log = ReadWhole(session.workDir + "/player/player.log");
  // A sanitizer report is a failure even when the window looked right.
  for (const char* report : {"ERROR: AddressSanitizer", "runtime error:", "ERROR: LeakSanitizer"}) {
    EXPECT_EQ(log.find(report), std::string::npos) << log;
  }
  if (HasFailure()) std::cerr << "--- player output\n" << log << "--- station output\n" << ReadWhole(stationLog_);
  for (cairo_surface_t* kept : kept_) cairo_surface_destroy(kept);
  if (capture_ != nullptr) cairo_surface_destroy(capture_);
  StopXSession(session);
}

// ---------------------------------------------------------------- station

std::vector<OnAir> Listener::SongsOnAir() {
  const std::string log = ReadWhole(stationLog_);
  while (stationLogRead_ < log.size()) {
    const size_t end = log.find('\n', stationLogRead_);
    if (end == std::string::npos) break;
    const std::string line = log.substr(stationLogRead_, end - stationLogRead_);
    stationLogRead_ = end + 1;
    if (line.rfind("song ", 0) != 0) continue;
    std::istringstream fields(line.substr(5));
    OnAir song;
    long long elapsedMs = 0;
    fields >> song.index >> elapsedMs;
    std::getline(fields >> std::ws, song.text);
    song.seenAt = Clock::now();
    songs_.push_back(song);
  }
  return songs_;
}

std::optional<Clock::time_point> Listener::WaitForSong(int index, std::chrono::milliseconds timeout) {
  std::optional<Clock::time_point> when;
  WaitUntil(
      [&] {
        for (const OnAir& song : SongsOnAir()) {
          if (song.index == index) when = song.seenAt;
        }
        return when.has_value();
      },
      timeout);
  return when;
}

std::string Listener::SongText(int index) { return kSongs[index]; }

// ---------------------------------------------------------------- window

bool Listener::Capture() {
  if (capture_ != nullptr) cairo_surface_destroy(capture_);
  capture_ = CaptureWindow(session, window);
  return capture_ != nullptr && cairo_image_surface_get_height(capture_) >= surfaceTop + 300 * scale &&
         cairo_image_surface_get_width(capture_) >= 800 * scale;
}

bool Listener::WaitForSurface(const std::function<bool()>& seen, std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return Capture() && seen(); }, timeout);
}

uint32_t Listener::At(int x, int y) const { return PixelAt(capture_, x * scale, surfaceTop + y * scale); }

int Listener::Differing(const PixelBox& box, const ReferenceFrame& reference) const {
  int count = 0;
  for (int y = box.y; y < box.y + box.height; ++y) {
    for (int x = box.x; x < box.x + box.width; ++x) count += At(x, y) != reference.At(x, y);
  }
  return count;
}

int Listener::Differing(const PixelBox& box, cairo_surface_t* earlier) const {
  int count = 0;
  for (int y = box.y; y < box.y + box.height; ++y) {
    for (int x = box.x; x < box.x + box.width; ++x) count += At(x, y) != PixelAt(earlier, x * scale, surfaceTop + y * scale);
  }
  return count;
}

cairo_surface_t* Listener::Keep() {
  const int width = cairo_image_surface_get_width(capture_), height = cairo_image_surface_get_height(capture_);
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(copy);
  cairo_set_source_surface(cr, capture_, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  kept_.push_back(copy);
  return copy;
}

bool Listener::BadgeLive() const {
  // The dot pulses in size; its centre stays red (230, 60, 60).
  return Near(At(750, 247), 0xE63C3C, 30);
}

bool Listener::BadgeKeepsPulsing(int times) {
  for (int seen = 0; seen < times; ++seen) {
    if (!Capture()) return false;
    cairo_surface_t* before = Keep();
    if (!WaitForSurface([&] { return Differing(kBadgeBox, before) > 0; }, 500ms)) return false;
  }
  return true;
}

bool Listener::CoverIs(uint32_t rgb) const {
  // Station covers are one colour with a darker frame; look well inside it.
  for (const auto& [x, y] : {std::pair{143, 143}, {60, 60}, {226, 60}, {60, 226}, {226, 226}}) {
    if (!Near(At(x, y), rgb, 16)) return false;
  }
  return true;
}

std::optional<std::chrono::milliseconds> Listener::TimeUntil(const std::function<bool()>& seen,
                                                             Clock::time_point since,
                                                             std::chrono::milliseconds timeout) {
  std::optional<std::chrono::milliseconds> took;
  WaitUntil(
      [&] {
        // The screenshot that follows grabs the screen a few milliseconds after this.
        const auto now = Clock::now();
        if (!Capture() || !seen()) return false;
        took = std::chrono::duration_cast<std::chrono::milliseconds>(now - since);
        return true;
      },
      timeout);
  return took;
}

// ---------------------------------------------------------------- input

std::optional<Clock::time_point> Listener::PressPlay() {
  WaitForWarmRecorder();
  const auto at = Clock::now();
  if (!ClickInside(kLayout.playButtonBox)) return std::nullopt;
  return at;
}

bool Listener::PressStop() { return ClickInside(kLayout.stopButtonBox); }

bool Listener::ClickInside(const Box& box) { return Click(int(box.x + box.width / 2), int(box.y + box.height / 2)); }

bool Listener::Click(int x, int y) {
  return RunInSession(session, "xdotool mousemove --window " + window + " " + std::to_string(x * scale) + " " +
                                   std::to_string(surfaceTop + y * scale) + " click 1")
      .has_value();
}

bool Listener::Drag(int fromX, int fromY, int toX, int toY) {
  // Several moves, as a hand makes them, so that each one reaches the slider.
  std::string command = "xdotool mousemove --window " + window + " " + std::to_string(fromX * scale) + " " +
                        std::to_string(surfaceTop + fromY * scale) + " mousedown 1";
  constexpr int kSteps = 8;
  for (int i = 1; i <= kSteps; ++i) {
    const int x = fromX + (toX - fromX) * i / kSteps, y = fromY + (toY - fromY) * i / kSteps;
    command += " sleep 0.03 mousemove --window " + window + " " + std::to_string(x * scale) + " " +
               std::to_string(surfaceTop + y * scale);
  }
  command += " sleep 0.05 mouseup 1";
  return RunInSession(session, command).has_value();
}

bool Listener::Key(const std::string& key) {
  return RunInSession(session, "xdotool windowfocus --sync " + window + " key " + key).has_value();
}

bool Listener::PanelChangesWith(const std::function<bool()>& act) {
  if (!Capture()) return false;
  cairo_surface_t* before = Keep();
  // What the panel changes by itself meanwhile (a steady tone: next to nothing).
  std::this_thread::sleep_for(300ms);
  if (!Capture()) return false;
  const int drift = Differing(kVisualizerBox, before);
  if (!act()) return false;
  if (WaitForSurface([&] { return Differing(kVisualizerBox, before) > 100 + 4 * drift; }, 3s)) return true;
  std::cerr << "panel: drift " << drift << ", changed " << Differing(kVisualizerBox, before) << "\n";
  return false;
}

bool Listener::OpenMenu(int index) {
  // The titles are dark writing on the light bar: find the runs of columns
  // that hold writing, separated by the gaps between titles. A window just
  // shown may not have its bar painted yet (Wine paints it late): look again.
  std::vector<std::pair<int, int>> titles;
  const auto findTitles = [&] {
    titles.clear();
    if (!Capture()) return false;
    int runStart = -1, lastInk = -100;
    for (int x = 0; x < 800; ++x) {
      bool ink = false;
      for (int y = 2; y < surfaceTop - 2 && !ink; ++y) ink = (PixelAt(capture_, x, y) & 0xFF) < 110;
      if (!ink) continue;
      if (x - lastInk > 10) {
        if (runStart >= 0) titles.push_back({runStart, lastInk});
        runStart = x;
      }
      lastInk = x;
    }
    if (runStart >= 0) titles.push_back({runStart, lastInk});
    return index < int(titles.size());
  };
  if (!WaitUntil(findTitles, std::chrono::seconds(5))) return false;
  const int x = (titles[index].first + titles[index].second) / 2;
  menuTitleX_ = x;
  return RunInSession(session, "xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
                                   std::to_string(surfaceTop / 2) + " click 1")
      .has_value();
}

bool Listener::ClickMenuItem(int index, int itemCount) {
  // The open menu is a window of its own hanging from the bar under its
  // title: where the screen below the bar stops being the player's surface.
  const auto geometry = RunInSession(session, "xdotool getwindowgeometry --shell " + window);
  if (!geometry) return false;
  const auto value = [&](const char* name) {
    const size_t at = geometry->find(name);
    return at == std::string::npos ? -1 : std::atoi(geometry->c_str() + at + std::strlen(name));
  };
  const int windowX = value("X="), windowY = value("Y=");
  // The box found twice running: a window that changed between the two
  // pictures (a cover arriving) makes the menu look as tall as the change,
  // and a click meant for one item would land on a later one.
  std::optional<PixelBox> menu, seen;
  WaitUntil(
      [&] {
        const std::string file = session.workDir + "/root.png";
        if (!RunInSession(session, "import -window root " + Quote("png:" + file))) return false;
        cairo_surface_t* root = cairo_image_surface_create_from_png(file.c_str());
        if (cairo_surface_status(root) != CAIRO_STATUS_SUCCESS || !Capture()) {
          cairo_surface_destroy(root);
          return false;
        }
        const auto covered = [&](int x, int y) {
          return PixelAt(root, windowX + x, windowY + y) != PixelAt(capture_, x, y);
        };
        // Along a row just under the bar, from the title sideways; then down
        // a column just inside the menu's left edge. The visualizer, which
        // may change between the two pictures, lies lower and further right.
        const int row = surfaceTop + 3;
        int left = menuTitleX_, right = menuTitleX_;
        if (covered(menuTitleX_, row)) {
          while (left > 0 && covered(left - 1, row)) --left;
          while (right < 799 && covered(right + 1, row)) ++right;
        } else {
          cairo_surface_destroy(root);
          return false;
        }
        int bottom = row, unchanged = 0;
        for (int y = row; y < surfaceTop + 300 && unchanged < 6; ++y) {
          if (covered(left + 3, y)) bottom = y, unchanged = 0;
          else ++unchanged;
        }
        cairo_surface_destroy(root);
        const PixelBox found{left, surfaceTop, right - left + 1, bottom - surfaceTop + 1};
        if (seen == found) menu = found;
        seen = found;
        return menu.has_value();
      },
      5s);
  if (!menu) return false;
  constexpr int kPaddingPx = 4;
  const int itemHeight = (menu->height - 2 * kPaddingPx) / itemCount;
  const int x = menu->x + std::min(menu->width / 2, 60);
  const int y = menu->y + kPaddingPx + itemHeight * index + itemHeight / 2;
  return RunInSession(session, "xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
                                   std::to_string(y) + " click 1")
      .has_value();
}

bool Listener::PlayerRunning() { return playerPid > 0 && !WaitForExit(playerPid, 0ms); }

std::optional<int> Listener::WaitForPlayerExit(std::chrono::milliseconds timeout) {
  const auto code = WaitForExit(playerPid, timeout);
  if (code) playerPid = 0;
  return code;
}

void Listener::ExpectEndsWithZero(std::chrono::milliseconds timeout, const char* otherwise) {
  const auto code = WaitForPlayerExit(timeout);
  ASSERT_TRUE(code) << otherwise;
  EXPECT_EQ(*code, 0);
}

// ---------------------------------------------------------------- sound

size_t Listener::RecordMark() const {
  std::error_code error;
  const auto bytes = fs::file_size(recordingPath_, error);
  return error ? 0 : size_t(bytes / (2 * sizeof(float)));
}

std::vector<float> Listener::RecordedSince(size_t mark) const {
  std::ifstream in(recordingPath_, std::ios::binary);
  in.seekg(std::streamoff(mark * 2 * sizeof(float)));
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> samples(bytes.size() / sizeof(float) / 2 * 2);
  // Nothing recorded since the mark yet: no copy (memcpy from no buffer at all is undefined).
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
  return samples;
}

void Listener::WaitForWarmRecorder() const {
  std::this_thread::sleep_until(std::max(Clock::now(), recorderStartedAt_ + 2s));
}

std::vector<float> Listener::ListenOnceHeard(std::chrono::milliseconds duration) {
  constexpr float kHeardLevel = 0.01f;  // well above the sink's silence
  WaitForWarmRecorder();
  const size_t mark = RecordMark();
  const auto start = Clock::now();
  std::optional<size_t> heardAt;
  while (!heardAt && Clock::now() < start + 1s) {
    std::this_thread::sleep_for(20ms);
    const std::vector<float> since = RecordedSince(mark);
    const auto loud = std::find_if(since.begin(), since.end(), [&](float s) { return std::fabs(s) > kHeardLevel; });
    if (loud != since.end()) heardAt = mark + size_t(loud - since.begin()) / 2;
  }
  if (!heardAt) return RecordedSince(mark);
  std::cout << "heard " << (*heardAt - mark) * 1000 / kRecordRateHz << " ms after listening began\n";
  const size_t frames = size_t(duration.count()) * kRecordRateHz / 1000;
  const auto deadline = Clock::now() + duration + 2s;
  while (RecordMark() < *heardAt + frames && Clock::now() < deadline) std::this_thread::sleep_for(20ms);
  std::vector<float> sound = RecordedSince(*heardAt);
  sound.resize(std::min(sound.size(), frames * 2));
  return sound;
}

std::vector<float> Listener::Listen(std::chrono::milliseconds duration) {
  // The recorder must have warmed up the sink before anything it hears counts.
  WaitForWarmRecorder();
  const size_t mark = RecordMark();
  std::this_thread::sleep_for(duration);
  return RecordedSince(mark);
}
