#pragma once

#include "app/player_state.h"

// Rebuilds `coverScaled` as a smooth copy of `coverImage` stretched to the
// cover box (250 by 250). Does nothing without a cover or with an empty box.
void RescaleCover(Player& player);
