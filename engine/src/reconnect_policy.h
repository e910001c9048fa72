// SPDX-License-Identifier: GPL-3.0-or-later
// When a dropped stream tries to come back. Pure timing rules: the clock and
// the randomness are the caller's, so the schedule of a ten-minute outage can
// be checked without waiting for it.
#pragma once

#include <cstdint>

namespace orvelle {

struct ReconnectPolicy {
  int64_t firstDelayMs = 2000;   // the first try comes at most this long after the drop...
  int64_t maxDelayMs = 30000;    // ...each later one up to twice as late, never further apart...
  int64_t windowMs = 600000;     // ...and none once the outage is this old: the stream ends
  int64_t stableMs = 30000;      // a connection that held this long ended its outage
};

// Time of the next try of an outage that began at `outageStartMs`: `triesMade`
// tries have been made, the last one (or the drop that ended a connection)
// began at `previousMs`. `unitRandom` (in [0, 1)) draws the wait from the whole
// first step, then from the upper half of each doubled step: listeners dropped
// together by a server restart come back spread out, and less and less often.
// -1 once that time is not inside the window.
int64_t NextReconnectMs(const ReconnectPolicy& policy, int triesMade, int64_t outageStartMs, int64_t previousMs,
                        double unitRandom);

}  // namespace orvelle
