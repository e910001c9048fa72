// SPDX-License-Identifier: GPL-3.0-or-later
// Colours are 32-bit values with red in the low byte, then green, blue and
// alpha in the high byte.
#pragma once

#include <cstdint>

using Colour = uint32_t;

constexpr Colour Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  return Colour(r) | (Colour(g) << 8) | (Colour(b) << 16) | (Colour(a) << 24);
}
constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) { return Rgba(r, g, b, 255); }
constexpr uint8_t RedOf(Colour c) { return c & 0xFF; }
constexpr uint8_t GreenOf(Colour c) { return (c >> 8) & 0xFF; }
constexpr uint8_t BlueOf(Colour c) { return (c >> 16) & 0xFF; }
constexpr uint8_t AlphaOf(Colour c) { return (c >> 24) & 0xFF; }
