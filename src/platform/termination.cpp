// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

// Written by the handler, read anywhere: it must be lock-free to be safe there.
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

int wakeFds[2] = {-1, -1};  // read end watched by the event loop; never closed

// The event loop watches the pipe; the workers' transfers are cancelled by
// the shutdown that follows.
void OnTerminationSignal(int) {
  const int savedErrno = errno;
  requested.store(true);
  const char byte = 0;
  // Non-blocking: a full pipe already wakes the loop.
  [[maybe_unused]] const ssize_t written = write(wakeFds[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

void InstallTerminationHandlers() {
  if (pipe2(wakeFds, O_NONBLOCK | O_CLOEXEC) != 0) wakeFds[0] = wakeFds[1] = -1;
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  action.sa_flags = SA_RESTART;  // other calls go on; waits (poll) still end early
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool TerminationRequested() { return requested.load(); }

int TerminationWakeFd() { return wakeFds[0]; }
