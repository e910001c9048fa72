// SPDX-License-Identifier: GPL-3.0-or-later
// The station as tests and the demo script use it: a program that says on
// stdout where it listens and which song is on air, and ends on a signal.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace {

// A station process; one still running when the test ends is killed, so
// no station outlives its test.
struct Child {
  pid_t pid = -1;
  int out = -1;
  std::string pending;

  Child() = default;
  Child(Child&& o) noexcept : pid(std::exchange(o.pid, -1)), out(std::exchange(o.out, -1)) {}
  ~Child() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (out >= 0) close(out);
  }

  // Exit status after waiting up to timeoutMs; -1 when it is still running.
  int WaitExit(int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      }
      usleep(20'000);
    }
    return -1;
  }

  // The next stdout line, or nothing after timeoutMs.
  std::optional<std::string> Line(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const auto nl = pending.find('\n');
      if (nl != std::string::npos) {
        std::string line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now()).count();
      pollfd p{out, POLLIN, 0};
      if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return std::nullopt;
      char buf[512];
      const ssize_t n = read(out, buf, sizeof buf);
      if (n <= 0) return std::nullopt;
      pending.append(buf, static_cast<size_t>(n));
    }
  }
};

Child Spawn(std::vector<std::string> args) {
  Child c;
  int fds[2];
  if (pipe(fds) != 0) return c;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  args.insert(args.begin(), ORVELLE_STATION_BIN);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (posix_spawn(&c.pid, ORVELLE_STATION_BIN, &actions, nullptr, argv.data(), environ) != 0) c.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  c.out = fds[0];
  return c;
}

TEST(StationProcess, AnnouncesPortsAndSongsAndEndsOnSignal) {
  Child c = Spawn({"--port", "0", "--itunes-port", "0", "--deezer-port", "0", "--song-seconds", "0.7",
                   "--first-song", "3", "--exit-after", "30", "--quiet"});
  ASSERT_GT(c.pid, 0);
  const auto ports = c.Line(5000);
  ASSERT_TRUE(ports);
  EXPECT_EQ(ports->rfind("ports stream=", 0), 0u) << *ports;
  EXPECT_NE(ports->find(" itunes="), std::string::npos);
  EXPECT_NE(ports->find(" deezer="), std::string::npos);
  const auto first = c.Line(2000);
  const auto second = c.Line(2000);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->rfind("song 3 ", 0), 0u) << *first;
  EXPECT_EQ(second->rfind("song 4 ", 0), 0u) << *second;
  EXPECT_NE(second->find("Anonyme - Silence Radio"), std::string::npos) << *second;
  kill(c.pid, SIGTERM);
  EXPECT_EQ(c.WaitExit(3000), 0);
}

TEST(StationProcess, BadOptionsAndBusyPortFailClearly) {
  Child bad = Spawn({"--song-seconds", "-1"});
  ASSERT_GT(bad.pid, 0);
  EXPECT_EQ(bad.WaitExit(3000), 2);

  Child first = Spawn({"--port", "0", "--itunes-port", "0", "--deezer-port", "0", "--exit-after", "30"});
  ASSERT_GT(first.pid, 0);
  const auto ports = first.Line(5000);
  ASSERT_TRUE(ports);
  const std::string port = ports->substr(13, ports->find(' ', 13) - 13);
  Child second = Spawn({"--port", port, "--itunes-port", "0", "--deezer-port", "0"});
  ASSERT_GT(second.pid, 0);
  EXPECT_EQ(second.WaitExit(3000), 1);
  kill(first.pid, SIGINT);
  EXPECT_EQ(first.WaitExit(3000), 0);
}

}  // namespace
