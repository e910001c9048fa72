// SPDX-License-Identifier: GPL-3.0-or-later
// The clock every platform shares: std::chrono's steady clock is monotonic
// everywhere (QueryPerformanceCounter on Windows, CLOCK_MONOTONIC on POSIX).
#include <chrono>
#include <ctime>

#include "os/os.h"

uint32_t MonotonicMs() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  return uint32_t(uint64_t(elapsed.count()));
}

int64_t UnixSecondsNow() { return int64_t(std::time(nullptr)); }
