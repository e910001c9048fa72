// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/layout.h"

#include <gtest/gtest.h>

namespace {

TEST(Layout, KnobFollowsVolume) {
  const std::pair<float, float> cases[] = {{0.0f, 431}, {0.8f, 575}, {1.0f, 611}, {0.5f, 521}};
  for (const auto& [volume, x] : cases) {
    Layout layout;
    ComputeLayout(layout, volume);
    EXPECT_FLOAT_EQ(layout.volumeKnobBox.x, x) << volume;
    EXPECT_FLOAT_EQ(layout.volumeKnobBox.y, 229);
  }
}

}  // namespace
