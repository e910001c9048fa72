// SPDX-License-Identifier: GPL-3.0-or-later
#include "x_session.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool StartXSession(XSession& session, const std::string& screen) {
  char pattern[] = "/tmp/orvelle-window-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return false;
  session.workDir = pattern;
  const std::optional<std::string> display = StartXvfb(session.serverPid, screen);
  if (!display) return false;
  session.display = *display;
  return true;
}

void StopXSession(XSession& session) {
  if (session.serverPid > 0) {
    EndProcess(session.serverPid);
    session.serverPid = 0;
  }
  if (!session.workDir.empty()) {
    std::error_code ignored;
    fs::remove_all(session.workDir, ignored);
  }
}

std::optional<std::string> RunInSession(const XSession& session, const std::string& command, int timeoutSeconds) {
  const std::string line = "DISPLAY=" + session.display + " timeout " + std::to_string(timeoutSeconds) + " sh -c " +
                           Quote(command) + " 2>/dev/null";
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = pclose(pipe);
  if (status != 0) return std::nullopt;
  return out;
}

pid_t StartPlayer(const XSession& session, const std::string& playerPath, const std::string& libraryBeside,
                  const EnvironmentVariables& environment) {
  const fs::path dir = fs::path(session.workDir) / "player";
  std::error_code error;
  fs::create_directories(dir, error);
  // Copied once per session: a second start runs the copy the first is running.
  fs::copy_file(playerPath, dir / "orvelle-player", fs::copy_options::skip_existing, error);
  if (error) return 0;
  if (!libraryBeside.empty()) {
    fs::copy_file(libraryBeside, dir / "libbass.so", fs::copy_options::skip_existing, error);
    if (error) return 0;
  }
  // The session's own runtime folder: the player's claim on its display is
  // kept there, where no player of another test run on this machine (on a
  // display of the same number, in another network namespace) is met.
  const fs::path runtime = fs::path(session.workDir) / "runtime";
  fs::create_directories(runtime, error);
  fs::permissions(runtime, fs::perms::owner_all, error);
  // The library is found beside the player or not at all: no LD_LIBRARY_PATH.
  // The toolkit keeps its one-time allocations to the end; the exit code is what is tested.
  EnvironmentVariables variables = {{"DISPLAY", session.display},     {"LD_LIBRARY_PATH", ""},
                                     {"ASAN_OPTIONS", "detect_leaks=0"}, {"GDK_BACKEND", "x11"},
                                     {"NO_AT_BRIDGE", "1"},              {"XDG_RUNTIME_DIR", runtime.string()}};
  variables.insert(variables.end(), environment.begin(), environment.end());  // later ones win
  return SpawnProcess({(dir / "orvelle-player").string()}, (dir / "player.log").string(), variables);
}

std::optional<std::string> FindWindow(const XSession& session, const std::string& title,
                                      std::chrono::milliseconds timeout) {
  std::string id;
  WaitUntil(
      [&] {
        const auto out = RunInSession(session, "xdotool search --onlyvisible --name " + Quote("^" + title + "$"), 5);
        if (!out || out->empty()) return false;
        id = out->substr(0, out->find('\n'));
        return true;
      },
      timeout);
  if (id.empty()) return std::nullopt;
  return id;
}

cairo_surface_t* CaptureWindow(const XSession& session, const std::string& windowId) {
  const std::string file = session.workDir + "/capture.png";
  std::error_code ignored;
  fs::remove(file, ignored);
  if (!RunInSession(session, "import -window " + windowId + " " + Quote("png:" + file), 10)) return nullptr;
  cairo_surface_t* image = cairo_image_surface_create_from_png(file.c_str());
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    return nullptr;
  }
  return image;
}

std::optional<std::pair<int, int>> WindowSize(const XSession& session, const std::string& windowId) {
  const auto out = RunInSession(session, "xdotool getwindowgeometry --shell " + windowId, 5);
  if (!out) return std::nullopt;
  int width = -1, height = -1;
  size_t at = out->find("WIDTH=");
  if (at != std::string::npos) width = std::atoi(out->c_str() + at + 6);
  at = out->find("HEIGHT=");
  if (at != std::string::npos) height = std::atoi(out->c_str() + at + 7);
  if (width < 0 || height < 0) return std::nullopt;
  return std::pair{width, height};
}

uint32_t PixelAt(cairo_surface_t* image, int x, int y) {
  cairo_surface_flush(image);
  const unsigned char* row = cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
  return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
}
