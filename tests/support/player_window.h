// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the player's window in a test's X session.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "app/window_description.h"
#include "model/colour.h"
#include "x_session.h"

// A colour of the code's tables as a screenshot's pixel reads, 0xRRGGBB.
inline uint32_t PixelRgb(Colour c) { return (uint32_t(RedOf(c)) << 16) | (uint32_t(GreenOf(c)) << 8) | BlueOf(c); }

// Finds the player's window, checks its size, and gives where its 800 by 300
// surface starts under the menu bar, in the display's pixels (`scale` of
// them per surface pixel). Fails the test when there is none.
inline void FindPlayerWindow(const XSession& session, std::chrono::milliseconds timeout, std::string& window,
                             int& surfaceTop, int scale = 1) {
  const auto id = FindWindow(session, kPlayerWindow.title, timeout);
  ASSERT_TRUE(id) << "no player window";
  window = *id;
  const auto size = WindowSize(session, window);
  ASSERT_TRUE(size);
  ASSERT_EQ(size->first, 800 * scale);
  ASSERT_GT(size->second, 300 * scale);  // the menu bar sits above the 800 by 300 surface
  surfaceTop = size->second - 300 * scale;
}
