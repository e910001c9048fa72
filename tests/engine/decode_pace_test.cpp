// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode_pace.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

// At 1000 Hz a frame is a millisecond: the pauses read as frame counts.
TEST(DecodePause, ReadsOnUntilWellAheadOfTheRefillTargetThenSleepsPartOfItAway) {
  struct Case {
    const char* what;
    size_t buffered, refill, unfit;
    bool playing;
    long pauseMs;
  } const cases[] = {
      {"filling towards the refill target", 100, 300, 0, true, 0},
      {"just short of the margin beyond it", 799, 300, 0, true, 0},
      {"at the margin: sleeps down to the resume level", 800, 300, 0, true, 300},
      {"a deeper refill target after underruns moves both levels", 1000, 600, 0, true, 0},
      {"a burst on connect: sleeps longer", 3000, 300, 0, true, 2500},
      {"ring full while playing: until the mixer made room", 4000, 300, 100, true, 100},
      {"never a busy loop", 4000, 300, 3, true, kMinDecodePauseMs},
      {"nothing plays: fills the ring at the network's pace", 3000, 300, 0, false, 0},
      {"nothing plays and the ring is full: looks again later", 4000, 300, 100, false, kIdleRecheckMs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodePause({c.buffered, c.refill, c.unfit, c.playing, 1000}).count(), c.pauseMs);
  }
}

}  // namespace
}  // namespace orvelle
