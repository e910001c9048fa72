// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>

#include "display/visualizer.h"
#include "display/visualizer_modes.h"

namespace {

constexpr int kLastBin = 511;
const double kLogScale = std::log(41.0);  // ln(1 + 40 × 1): an average of 1 is full level

}  // namespace

namespace {

// In the order of VisualizerMode.
constexpr VisualizerDrawing kVisualizerDrawings[kVisualizerModeCount] = {
    {DrawLineVisualizer, nullptr, false},
    {DrawBarsVisualizer, StepBarPeaks, false},
    {DrawMirrorBarsVisualizer, nullptr, false},
    {DrawCircleVisualizer, nullptr, false},
    {DrawRaysVisualizer, nullptr, false},
    {DrawOscilloscope, nullptr, true},
};

}  // namespace

const VisualizerDrawing* FindVisualizerDrawing(VisualizerMode mode) {
  const int32_t index = int32_t(mode);
  return index >= 0 && index < kVisualizerModeCount ? &kVisualizerDrawings[index] : nullptr;
}

float BandLevel(const std::array<float, 512>& spectrum, float t, float curve) {
  const double p = std::pow(double(t), double(curve));
  // A NaN position must not reach the integer conversion; clamp before it.
  const double scaled = std::isnan(p) ? 0.0 : std::fmin(std::fmax(p * kLastBin, 0.0), double(kLastBin));
  const int centre = int(scaled);
  float sum = 0.0f;
  for (int j = centre - 2; j <= centre + 2; ++j) {
    if (j < 0 || j > kLastBin) continue;
    const float bin = spectrum[size_t(j)];
    if (!std::isnan(bin)) sum += bin;  // a library may hand over NaN; it counts as silence
  }
  const double average = sum / 5.0f;  // always five, even at the edges
  double level = std::log(1.0 + 40.0 * average) / kLogScale;
  if (std::isnan(level)) level = 0.0;  // -inf, inf - inf, or an average below -1/40
  return float(std::fmin(std::fmax(level, 0.0), 1.0));
}

void DrawVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  // An unknown mode leaves the panel empty.
  if (const VisualizerDrawing* drawing = FindVisualizerDrawing(visualizer.visualizerMode)) {
    drawing->draw(visualizer, s, x, y, w, h);
  }
}
