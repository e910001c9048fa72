// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/symbol_standins.h"

#include <algorithm>
#include <cmath>

namespace {

enum class Shape { Play, Stop, Speaker };

// Sizes in ems, as DejaVu Sans draws "▶" and "■" and Noto Color Emoji "🔈".
struct Symbol {
  std::u16string_view text;
  Shape shape;
  float sideEm, advanceEm;
};
constexpr Symbol kSymbols[] = {
    {u"\u25B6", Shape::Play, 0.75f, 0.78f},
    {u"\u25A0", Shape::Stop, 0.78f, 0.95f},
    {u"\U0001F508", Shape::Speaker, 0.875f, 1.25f},
};

int Round(float value) { return int(std::lround(value)); }

// Columns one pixel wide, each from `top` to `bottom` (excluded).
void AddColumn(std::vector<PixelArea>& boxes, int x, int top, int bottom) {
  if (bottom > top) boxes.push_back({x, top, 1, bottom - top});
}

// A triangle pointing right, its tip at the middle of the right side.
void Play(std::vector<PixelArea>& boxes, int side) {
  for (int x = 0; x < side; ++x) {
    const float half = float(side) / 2.0f * (1.0f - (float(x) + 0.5f) / float(side));
    AddColumn(boxes, x, Round(float(side) / 2.0f - half), Round(float(side) / 2.0f + half));
  }
}

// A loudspeaker seen from the side: the magnet, a box on the left, and the
// cone flaring from it to the full height.
void Speaker(std::vector<PixelArea>& boxes, int side) {
  const int magnetWidth = std::max(1, Round(float(side) * 0.3f));
  const int magnetTop = Round(float(side) * 0.32f), magnetBottom = side - magnetTop;
  boxes.push_back({0, magnetTop, magnetWidth, magnetBottom - magnetTop});
  const int coneEnd = std::max(magnetWidth + 1, Round(float(side) * 0.75f));
  for (int x = magnetWidth; x < coneEnd; ++x) {
    const float t = float(x - magnetWidth + 1) / float(coneEnd - magnetWidth);
    AddColumn(boxes, x, Round(float(magnetTop) * (1.0f - t)), Round(float(magnetBottom) + float(side - magnetBottom) * t));
  }
}

}  // namespace

std::optional<StandIn> SymbolStandIn(std::u16string_view text, float emPx) {
  if (!(emPx > 0.0f) || emPx > 1000.0f) return std::nullopt;
  for (const Symbol& symbol : kSymbols) {
    if (symbol.text != text) continue;
    StandIn standIn;
    standIn.side = std::max(1, Round(symbol.sideEm * emPx));
    standIn.advance = std::max(standIn.side, Round(symbol.advanceEm * emPx));
    standIn.left = (standIn.advance - standIn.side) / 2;
    switch (symbol.shape) {
      case Shape::Play:
        Play(standIn.boxes, standIn.side);
        break;
      case Shape::Stop:
        standIn.boxes.push_back({0, 0, standIn.side, standIn.side});
        break;
      case Shape::Speaker:
        Speaker(standIn.boxes, standIn.side);
        break;
    }
    return standIn;
  }
  return std::nullopt;
}
