#include "x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr auto kServerStart = std::chrono::seconds(10);

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

bool StartXSession(XSession& session) {
  char pattern[] = "/tmp/orvelle-window-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return false;
  session.workDir = pattern;
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // A test that crashes leaves no server behind, nor one holding what the
    // test inherited (the lock that keeps window tests apart, for one).
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(fds[0]);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0), dup2(devnull, 1), dup2(devnull, 2);
    for (int fd = 3; fd < 1024; ++fd) {
      if (fd != fds[1]) close(fd);
    }
    // -displayfd: the server picks a free display number and writes it to us.
    // -noreset: by default the server resets when its last client leaves, and
    // refuses connections meanwhile: an xdotool call that ends just as the
    // player starts would leave the player without a display.
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
           nullptr);
    _exit(127);
  }
  close(fds[1]);
  session.serverPid = pid;
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + kServerStart;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char c;
    if (read(fds[0], &c, 1) != 1) break;
    if (c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) return false;
  session.display = ":" + number;
  return true;
}

void StopXSession(XSession& session) {
  if (session.serverPid > 0) {
    KillProcess(session.serverPid);
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

pid_t StartPlayer(const XSession& session, const std::string& playerPath, const std::string& libraryBeside) {
  const fs::path dir = fs::path(session.workDir) / "player";
  std::error_code error;
  fs::create_directories(dir, error);
  fs::copy_file(playerPath, dir / "orvelle-player", fs::copy_options::overwrite_existing, error);
  if (error) return 0;
  if (!libraryBeside.empty()) {
    fs::copy_file(libraryBeside, dir / "libbass.so", fs::copy_options::overwrite_existing, error);
    if (error) return 0;
  }
  const std::string exe = (dir / "orvelle-player").string();
  const std::string log = (dir / "player.log").string();
  const pid_t pid = fork();
  if (pid < 0) return 0;
  if (pid == 0) {
    setenv("DISPLAY", session.display.c_str(), 1);
    unsetenv("LD_LIBRARY_PATH");  // the player finds its library beside itself or not at all
    // The toolkit keeps its one-time allocations to the end; the exit code is what is tested.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    setenv("GDK_BACKEND", "x11", 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) dup2(out, 1), dup2(out, 2);
    execl(exe.c_str(), exe.c_str(), nullptr);
    _exit(127);
  }
  return pid;
}

std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
  std::optional<int> code;
  WaitUntil(
      [&] {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid) return false;
        code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
      },
      timeout);
  return code;
}

void KillProcess(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  if (!WaitForExit(pid, std::chrono::seconds(5))) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
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
