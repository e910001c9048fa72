// SPDX-License-Identifier: GPL-3.0-or-later
#include "processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

pid_t SpawnProcess(const std::vector<std::string>& argv, const std::string& outputPath,
                   const EnvironmentVariables& environment, int keepFd) {
  const pid_t pid = fork();
  if (pid != 0) return pid < 0 ? 0 : pid;
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  for (const auto& [name, value] : environment) {
    if (value.empty()) {
      unsetenv(name.c_str());
    } else {
      setenv(name.c_str(), value.c_str(), 1);
    }
  }
  const int in = open("/dev/null", O_RDONLY);
  const int out = open(outputPath.empty() ? "/dev/null" : outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in >= 0) dup2(in, 0);
  if (out >= 0) dup2(out, 1), dup2(out, 2);
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != keepFd) close(fd);
  }
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
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

void EndProcess(pid_t pid, std::chrono::milliseconds grace) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  if (!WaitForExit(pid, grace)) {
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

std::optional<std::string> StartXvfb(pid_t& pid, const std::string& screen) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  // -displayfd: the server picks a free display number and writes it to us.
  // -noreset: by default the server resets when its last client leaves, and
  // refuses connections meanwhile: an xdotool call that ends just as the
  // player starts would leave the player without a display.
  const std::string fd = std::to_string(fds[1]);
  pid = SpawnProcess({"Xvfb", "-displayfd", fd, "-noreset", "-screen", "0", screen, "-nolisten", "tcp"}, "", {},
                     fds[1]);
  close(fds[1]);
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (pid > 0 && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) return std::nullopt;
  return ":" + number;
}

std::optional<std::string> StartPrivatePulse(const std::string& dir, pid_t& pid) {
  std::error_code ignored;
  fs::create_directories(dir + "/run", ignored);
  chmod((dir + "/run").c_str(), 0700);
  const std::string socket = dir + "/run/pulse/native";
  pid = SpawnProcess({"pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--disallow-exit",
                      "--load=module-null-sink", "--load=module-native-protocol-unix"},
                     dir + "/pulseaudio.log", {{"HOME", dir}, {"XDG_RUNTIME_DIR", dir + "/run"}});
  if (pid == 0 || !WaitUntil([&] { return fs::exists(socket); }, std::chrono::seconds(10))) return std::nullopt;
  return "unix:" + socket;
}

std::optional<std::string> StartPrivateBus(const std::string& dir, const EnvironmentVariables& environment,
                                           pid_t& pid) {
  std::error_code ignored;
  fs::create_directories(dir, ignored);
  const std::string socket = dir + "/bus";
  pid = SpawnProcess({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket},
                     dir + "/bus.log", environment);
  if (pid == 0 || !WaitUntil([&] { return fs::exists(socket); }, std::chrono::seconds(10))) return std::nullopt;
  return "unix:path=" + socket;
}

pid_t StartRecorder(const std::string& outputPath, const std::string& source) {
  // Through a shell, so that the recording goes to the file and parec's messages nowhere.
  return SpawnProcess({"sh", "-c",
                       "exec parec --device=" + Quote(source) + " --latency-msec=20 --format=float32le --rate=44100 "
                       "--channels=2 --raw >" + Quote(outputPath) + " 2>/dev/null"});
}

pid_t StartStation(const std::string& binary, const std::vector<std::string>& options, const std::string& logPath) {
  std::vector<std::string> argv = {binary, "--die-with-parent"};
  argv.insert(argv.end(), options.begin(), options.end());
  const pid_t pid = SpawnProcess(argv, logPath);
  if (pid == 0) return 0;
  if (!WaitUntil([&] { return ReadWhole(logPath).find("ports ") != std::string::npos; }, std::chrono::seconds(10))) {
    EndProcess(pid);
    return 0;
  }
  return pid;
}
