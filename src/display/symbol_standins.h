// SPDX-License-Identifier: GPL-3.0-or-later
// The player's three symbols ("▶", "■", "🔈") drawn as plain shapes, for a
// font that has no glyph for them: a missing glyph draws as an empty box,
// which says nothing to the listener. Each shape has the size the glyph has
// in common fonts, so that it sits in the layout as the glyph would.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "display/surface.h"

struct StandIn {
  int advance = 0;  // width it takes in a line, in pixels
  int side = 0;     // height and width of its square of ink
  int left = 0;     // from where the text starts to that square
  std::vector<PixelArea> boxes;  // its ink, relative to the square's top-left corner
};

// The shape for `text` in a font of `emPx` pixels to the em, or nothing
// when the text is not one of the three symbols.
std::optional<StandIn> SymbolStandIn(std::u16string_view text, float emPx);
