// SPDX-License-Identifier: GPL-3.0-or-later
// The six drawings of the visualizer panel. Each draws into (x, y, w, h) in
// opaque shapes, from the visualizer's state alone; only the bars keep state between
// frames (`peakLevels`), stepped before each of their drawings.
#pragma once

#include <cstdint>

#include "display/surface.h"
#include "model/player_model.h"

// Mode 0: a polyline of 72 levels across the area.
void DrawLineVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// Mode 1: 60 bars from the bottom, each with its peak mark.
void DrawBarsVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// The bars' peak marks before a drawing: each jumps up to its bar's level
// or sinks `peakFall`, never below 0.
void StepBarPeaks(VisualizerState& visualizer);
// Mode 2: 56 bars mirrored about the middle row, and the middle line.
void DrawMirrorBarsVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// Mode 3: a ring of 121 points whose radius follows the spectrum.
void DrawCircleVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// Mode 4: 64 rays out of an inner circle.
void DrawRaysVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// Mode 5: the waveform of the samples read before the drawing; a flat middle
// line without them.
void DrawOscilloscope(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
