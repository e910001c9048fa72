// SPDX-License-Identifier: GPL-3.0-or-later
// The claim is a lock on a file (flock: the kernel drops it when the process
// ends, crash or not) in the user's runtime folder; the player that holds it
// listens on a socket beside it for later starts.
#include "platform/one_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "os/log.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A player still starting listens a moment after it locks; one that is
// ending has closed its socket but not yet dropped its lock.
constexpr auto kClaimWait = 3s;
// A player busy starting (its first poll) answers once its loop runs.
constexpr int kAnswerWaitMs = 10000;

int listenFd = -1;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The user's runtime folder, or a folder of the user's own under /tmp; empty
// when neither can be trusted.
std::string ClaimFolder() {
  const std::string runtime = Env("XDG_RUNTIME_DIR");
  if (!runtime.empty()) return runtime;
  const std::string folder = "/tmp/orvelle-player-" + std::to_string(getuid());
  mkdir(folder.c_str(), 0700);
  struct stat info {};
  // A folder of that name made by someone else is theirs to play tricks with.
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
      (info.st_mode & 077) != 0) {
    return "";
  }
  return folder;
}

// One player per display: the same user on another display (another seat,
// a nested or virtual one) has a player of their own there. Empty when there
// is no folder to hold the claim.
std::string ClaimPath() {
  const std::string folder = ClaimFolder();
  if (folder.empty()) return "";
  std::string display = Env("WAYLAND_DISPLAY") + "+" + Env("DISPLAY");
  for (char& c : display) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '+') c = '_';
  }
  return folder + "/orvelle-player." + display;
}

bool TakeLock(int lock) { return flock(lock, LOCK_EX | LOCK_NB) == 0; }

void Listen(const sockaddr_un& address) {
  unlink(address.sun_path);  // left by a player that crashed; the lock says none runs
  listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listenFd >= 0 && (bind(listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
                        listen(listenFd, 8) != 0)) {
    close(listenFd);
    listenFd = -1;
  }
  if (listenFd < 0) LogDiagnostic("later starts cannot reach this player: they will wait, then start their own");
}

enum class Asked { Answered, Gone, NotListening };

// Asks the player listening at `address` to come forward; Answered also when
// it is alive but too busy to say so in time.
Asked AskToComeForward(const sockaddr_un& address) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Asked::NotListening;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return Asked::NotListening;
  }
  pollfd answer{fd, POLLIN, 0};
  const int ready = poll(&answer, 1, kAnswerWaitMs);
  char byte = 0;
  const bool gone = ready > 0 && read(fd, &byte, 1) != 1;  // closed without a word: it ended meanwhile
  close(fd);
  return gone ? Asked::Gone : Asked::Answered;
}

}  // namespace

bool ClaimTheOnlyPlayer() {
  const std::string path = ClaimPath();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = path + ".socket";
  if (path.empty() || socketPath.size() >= sizeof address.sun_path) {
    LogDiagnostic("no place for the one-player claim: this start runs a player of its own");
    return true;
  }
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  // Kept open, never handed to a child: the lock lasts exactly as long as this process.
  const int lock = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lock < 0) {
    LogDiagnostic("the one-player claim cannot be made: this start runs a player of its own");
    return true;
  }
  const auto deadline = Clock::now() + kClaimWait;
  while (true) {
    if (TakeLock(lock)) {
      Listen(address);
      return true;
    }
    const Asked asked = AskToComeForward(address);
    if (asked == Asked::Answered) {
      close(lock);
      return false;
    }
    if (Clock::now() > deadline) break;
    std::this_thread::sleep_for(50ms);
  }
  // A player holds the claim but takes no requests: better a second player
  // than none in front of the listener.
  LogDiagnostic("the running player does not answer: this start runs a player of its own");
  close(lock);
  return true;
}

int LaterStartsFd() { return listenFd; }

void AnswerLaterStarts(const std::function<void()>& present) {
  std::vector<int> asking;
  for (int fd; listenFd >= 0 && (fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) asking.push_back(fd);
  if (asking.empty()) return;
  present();
  for (const int fd : asking) {
    const char done = '1';
    send(fd, &done, 1, MSG_NOSIGNAL);  // a start that stopped waiting: nothing to tell, no SIGPIPE
    close(fd);
  }
}
