// SPDX-License-Identifier: GPL-3.0-or-later
#include "reconnect_policy.h"

#include <algorithm>

namespace orvelle {

int64_t NextReconnectMs(const ReconnectPolicy& policy, int triesMade, int64_t outageStartMs, int64_t previousMs,
                        double unitRandom) {
  int64_t stepMs = std::max<int64_t>(policy.firstDelayMs, 0);
  for (int i = 0; i < triesMade && stepMs < policy.maxDelayMs; ++i) stepMs *= 2;
  stepMs = std::min(stepMs, policy.maxDelayMs);
  const int64_t shortestMs = triesMade == 0 ? 0 : stepMs / 2;
  const int64_t waitMs = shortestMs + int64_t(double(stepMs - shortestMs) * std::clamp(unitRandom, 0.0, 1.0));
  const int64_t atMs = previousMs + waitMs;
  // An outage as old as the window is over: a window of 0 makes no try at all,
  // even on a draw of 0.
  return atMs - outageStartMs >= policy.windowMs ? -1 : atMs;
}

}  // namespace orvelle
