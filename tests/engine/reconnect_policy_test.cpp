// SPDX-License-Identifier: GPL-3.0-or-later
#include "reconnect_policy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

namespace orvelle {
namespace {

constexpr int64_t kDropMs = 5000;  // any clock origin will do

// The try times of one outage in which no try succeeds, every draw being `unitRandom`.
std::vector<int64_t> TryTimes(const ReconnectPolicy& policy, double unitRandom) {
  std::vector<int64_t> times;
  int64_t previous = kDropMs;
  for (int64_t at; (at = NextReconnectMs(policy, int(times.size()), kDropMs, previous, unitRandom)) >= 0;) {
    times.push_back(at);
    previous = at;
    if (times.size() > 1000) break;
  }
  return times;
}

TEST(ReconnectPolicy, TriesSoonThenLessOftenForTenMinutesAtMost) {
  const ReconnectPolicy policy;
  for (double draw : {0.0, 0.5, 0.999}) {
    SCOPED_TRACE(draw);
    const auto times = TryTimes(policy, draw);
    ASSERT_GE(times.size(), 20u);
    EXPECT_LE(times.front() - kDropMs, 2000);
    int64_t previousGap = 0, previous = kDropMs;
    for (int64_t at : times) {
      EXPECT_LE(at - previous, 30000);
      EXPECT_GE(at - previous, previousGap) << "tries must come less and less often";
      previousGap = at - previous;
      previous = at;
    }
    EXPECT_LE(times.back() - kDropMs, 600000);
    EXPECT_GT(times.back() - kDropMs, 600000 - 30000) << "gave up early";
  }
  EXPECT_TRUE(TryTimes({.windowMs = 0}, 0.0).empty()) << "no time to come back means no try";
}

TEST(ReconnectPolicy, ListenersDroppedTogetherComeBackSpreadOut) {
  const ReconnectPolicy policy;
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  // A thousand listeners dropped by one restart; tries counted per 100 ms.
  for (int tries : {0, 1, 4}) {
    SCOPED_TRACE(tries);
    std::map<int64_t, int> perSlot;
    for (int listener = 0; listener < 1000; ++listener)
      ++perSlot[NextReconnectMs(policy, tries, kDropMs, kDropMs, unit(random)) / 100];
    const int busiest = std::max_element(perSlot.begin(), perSlot.end(), [](auto& a, auto& b) {
                          return a.second < b.second;
                        })->second;
    EXPECT_LE(busiest, 100) << "at most a tenth of the listeners in the same 100 ms";
  }
}

}  // namespace
}  // namespace orvelle
