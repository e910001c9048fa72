// The six drawings of the visualizer panel. Each draws into (x, y, w, h) in
// opaque shapes; only the bars keep state between frames (`peakLevels`).
#pragma once

#include <cstdint>

#include "app/player_state.h"
#include "display/surface.h"

// Mode 0: a polyline of 72 levels across the area.
void DrawLineVisualizer(Player& player, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// Mode 1: 60 bars from the bottom, each with a peak mark falling `peakFall` per drawing.
void DrawBarsVisualizer(Player& player, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// Mode 2: 56 bars mirrored about the middle row, and the middle line.
void DrawMirrorBarsVisualizer(Player& player, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// Mode 3: a ring of 121 points whose radius follows the spectrum.
void DrawCircleVisualizer(Player& player, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// Mode 4: 64 rays out of an inner circle.
void DrawRaysVisualizer(Player& player, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
// Mode 5: the waveform of the latest samples, asked of the audio library;
// a flat middle line without them.
void DrawOscilloscope(Player& player, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h);
