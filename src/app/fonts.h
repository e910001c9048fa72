// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/player_model.h"

// The seven fonts, all "Segoe UI" regular at their point sizes, in the order
// of their table. The drawing backend makes each one when first drawn.
void LoadFonts(Fonts& fonts);
