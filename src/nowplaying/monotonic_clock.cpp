#include "nowplaying/monotonic_clock.h"

#include <chrono>

uint32_t MonotonicMs() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  return uint32_t(uint64_t(elapsed.count()));
}
