// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound.h"

#include <cmath>
#include <numbers>

double Rms(std::span<const float> stereo) {
  if (stereo.empty()) return 0;
  double sum = 0;
  for (float s : stereo) sum += double(s) * s;
  return std::sqrt(sum / double(stereo.size()));
}

double ToneAmplitude(std::span<const float> stereo, double frequencyHz) {
  const size_t frames = stereo.size() / 2;
  if (frames == 0) return 0;
  const double w = 2 * std::numbers::pi * frequencyHz / kRecordRateHz;
  const double coefficient = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double s0 = stereo[i * 2] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
  return 2 * std::sqrt(std::max(power, 0.0)) / double(frames);
}
