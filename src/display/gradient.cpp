#include "display/gradient.h"

#include <cmath>

namespace {

uint8_t Mix(uint8_t from, uint8_t to, float t) {
  const float value = float(from) + float(int(to) - int(from)) * t;
  return uint8_t(std::lrint(value));  // nearest, ties to even
}

}  // namespace

void DrawVerticalGradient(Surface& s, int32_t x, int32_t y, int32_t width, int32_t height, Colour top, Colour bottom) {
  if (height <= 0) return;
  const DrawMode mode = s.mode;
  SetDrawMode(s, DrawMode::Opaque);
  for (int32_t i = 0; i < height; ++i) {
    // A single row has no bottom end; it takes the top colour.
    const float t = height > 1 ? float(i) / float(height - 1) : 0.0f;
    const Colour row = Rgb(Mix(RedOf(top), RedOf(bottom), t), Mix(GreenOf(top), GreenOf(bottom), t),
                           Mix(BlueOf(top), BlueOf(bottom), t));
    FillBox(s, float(x), float(y + i), float(width), 1.0f, row);
  }
  SetDrawMode(s, mode);
}
