// SPDX-License-Identifier: GPL-3.0-or-later
// The visualizer engine: the level of a part of the spectrum, the table of
// the six drawings and the drawing of the selected one in the main view's panel.
#pragma once

#include <array>
#include <cstdint>

#include "display/surface.h"
#include "model/player_model.h"

// Level from 0 to 1 of the spectrum around relative position t (0 lowest
// bin, 1 highest): t^curve picks the centre bin, five bins are averaged (the
// ones past the ends count as 0) and the average is put on a log scale.
// Values that are not numbers count as 0.
float BandLevel(const std::array<float, 512>& spectrum, float t, float curve);

// The drawing of one visualizer mode.
struct VisualizerDrawing {
  // Draws into (x, y, w, h) from the visualizer's state alone.
  void (*draw)(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
  // What moves with every drawing, stepped before it (the bars' peak marks); or nullptr.
  void (*step)(VisualizerState& visualizer);
  // The drawing shows the audio library's latest samples, read before it.
  bool showsSamples;
};

// The drawing of a mode, or nullptr for a value outside the modes.
const VisualizerDrawing* FindVisualizerDrawing(VisualizerMode mode);

// Draws the drawing of `visualizerMode` into the area; any other value draws nothing.
void DrawVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
