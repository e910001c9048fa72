// The visualizer engine: the per-tick spectrum fetch and the drawing of the
// selected mode in the main view's panel.
#pragma once

#include "app/player_state.h"

// Refreshes `spectrum` from the stream while it is live.
void FetchSpectrum(Player& player);
