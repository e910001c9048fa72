// SPDX-License-Identifier: GPL-3.0-or-later
// A font as the player knows it: a face and a size. The drawing backend
// makes the toolkit's own font object for it when first drawn and keeps it.
#pragma once

#include <string>

struct FontFace {
  std::string face;
  int points = 0;  // 0: no font

  bool operator==(const FontFace&) const = default;
};
