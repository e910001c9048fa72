// The visualizer engine: the per-tick spectrum fetch, the level of a part of
// the spectrum, and the drawing of the selected mode in the main view's panel.
#pragma once

#include <cstdint>

#include "app/player_state.h"
#include "display/surface.h"

// Refreshes `spectrum` from the stream while it is live.
void FetchSpectrum(Player& player);

// Level from 0 to 1 of the spectrum around relative position t (0 lowest
// bin, 1 highest): t^curve picks the centre bin, five bins are averaged (the
// ones past the ends count as 0) and the average is put on a log scale.
// Values that are not numbers count as 0.
float BandLevel(const Player& player, float t, float curve);

// Draws the drawing of `visualizerMode` into the area; any other mode draws nothing.
void DrawVisualizer(Player& player, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
