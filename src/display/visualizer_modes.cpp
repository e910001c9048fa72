// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/visualizer_modes.h"

#include <algorithm>
#include <cmath>

#include "display/view_colours.h"
#include "display/visualizer.h"

// Coordinates are computed in 32-bit floats; the surface rounds them half to
// even when they reach a box or a line.

namespace {

constexpr Colour kBlue = kViewColours.visualizerBlue;
constexpr Colour kTrace = kViewColours.visualizerTrace;
constexpr Colour kPeak = kViewColours.visualizerPeak;
constexpr float kCurve = 0.9f;                  // favours the low bins, where music has most energy
constexpr float kPi = 3.1415927f;
constexpr float kGap = 2.0f;                    // between neighbouring bars
constexpr int kBars = 60;                       // of the bars drawing, each with its peak mark

}  // namespace

void DrawLineVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  constexpr int kPoints = 72;
  float prevX = 0, prevY = 0;
  for (int i = 0; i < kPoints; ++i) {
    const float t = float(i) / float(kPoints - 1);
    const float v = BandLevel(visualizer.spectrum, t, kCurve);
    const float px = float(x) + t * float(w);
    const float py = float(y) + (float(h) - v * float(h));
    if (i > 0) DrawLine(s, prevX, prevY, px, py, kTrace);
    prevX = px, prevY = py;
  }
}

void StepBarPeaks(VisualizerState& visualizer) {
  for (int i = 0; i < kBars; ++i) {
    const float v = BandLevel(visualizer.spectrum, float(i) / float(kBars - 1), kCurve);
    // A mark jumps up with its bar and then sinks a fixed step per drawing.
    float& peak = visualizer.peakLevels[size_t(i)];
    if (v > peak) {
      peak = v;
    } else {
      peak = peak - visualizer.peakFall;
      if (peak < 0.0f) peak = 0.0f;
    }
  }
}

void DrawBarsVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  const float slot = float(w) / float(kBars);
  const float fh = float(h), bottom = float(y) + fh;
  for (int i = 0; i < kBars; ++i) {
    const float t = float(i) / float(kBars - 1);
    const float v = BandLevel(visualizer.spectrum, t, kCurve);
    const float bx = float(x) + float(i) * slot + kGap / 2.0f;
    const float b = v * fh;
    FillBox(s, bx, bottom - b, slot - kGap, b, kBlue);
    const float peak = visualizer.peakLevels[size_t(i)];
    FillBox(s, bx, bottom - peak * fh - 2.0f, slot - kGap, 2.0f, kPeak);
  }
}

void DrawMirrorBarsVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  constexpr int kBars = 56;
  const float slot = float(w) / float(kBars);
  const float middle = float(y) + float(h) * 0.5f;
  for (int i = 0; i < kBars; ++i) {
    const float t = float(i) / float(kBars - 1);
    const float v = BandLevel(visualizer.spectrum, t, kCurve);
    const float half = v * (float(h) * 0.5f);
    const float bx = float(x) + float(i) * slot + kGap / 2.0f;
    FillBox(s, bx, middle - half, slot - kGap, half, kBlue);
    FillBox(s, bx, middle, slot - kGap, half, kBlue);
  }
  FillBox(s, float(x), middle, float(w), 1.0f, kTrace);
}

void DrawCircleVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  constexpr int kSegments = 120;  // 121 points, the last on the first's angle
  const float cx = float(x) + float(w) * 0.5f, cy = float(y) + float(h) * 0.5f;
  const float side = float(std::min(w, h));
  const float r0 = side * 0.5f - 8.0f, swing = side * 0.2f;
  float prevX = 0, prevY = 0;
  for (int i = 0; i <= kSegments; ++i) {
    const float t = float(i) / float(kSegments);
    const float v = BandLevel(visualizer.spectrum, t, kCurve);
    const float angle = t * 2.0f * kPi;
    const float r = r0 + v * swing;
    const float px = cx + std::cos(angle) * r, py = cy + std::sin(angle) * r;
    if (i > 0) DrawLine(s, prevX, prevY, px, py, kTrace);
    prevX = px, prevY = py;
  }
}

void DrawRaysVisualizer(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  constexpr int kRays = 64;
  const float cx = float(x) + float(w) * 0.5f, cy = float(y) + float(h) * 0.5f;
  const float side = float(std::min(w, h));
  const float r0 = side * 0.22f, r1 = side * 0.48f;
  for (int i = 0; i < kRays; ++i) {
    const float t = float(i) / float(kRays);  // spread round the full turn, none doubled
    const float v = BandLevel(visualizer.spectrum, t, kCurve);
    const float angle = t * 2.0f * kPi;
    const float length = r0 + v * (r1 - r0);
    const float c = std::cos(angle), sn = std::sin(angle);
    DrawLine(s, cx + c * r0, cy + sn * r0, cx + c * length, cy + sn * length, kBlue);
  }
}

void DrawOscilloscope(const VisualizerState& visualizer, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  const int32_t bytes = visualizer.sampleBytes;  // -1 when the request failed
  if (bytes <= 0) {
    FillBox(s, float(x), float(y + h / 2), float(w), 1.0f, kTrace);
    return;
  }
  // Never trust the answer beyond the buffer it was given.
  const auto& samples = visualizer.samples;
  const int32_t count = std::min(bytes / 4, int32_t(samples.size()));
  if (count <= 1 || w <= 0) return;
  const float middle = float(y) + float(h) * 0.5f;
  const float swing = float(h) * 0.48f;
  float prevX = 0, prevY = 0;
  for (int32_t i = 0; i < w; ++i) {
    const int64_t k = std::clamp<int64_t>(int64_t(i) * count / w, 0, count - 1);
    float sample = samples[k];
    if (std::isnan(sample)) sample = 0.0f;  // NaN must not reach the pixel rounding
    sample = std::clamp(sample, -1.0f, 1.0f);
    const float px = float(x + i), py = middle - sample * swing;
    if (i > 0) DrawLine(s, prevX, prevY, px, py, kTrace);
    prevX = px, prevY = py;
  }
}
