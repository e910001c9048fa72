// SPDX-License-Identifier: GPL-3.0-or-later
// Measures of recorded sound: interleaved stereo float samples at 44.1 kHz,
// as parec records them from the null sink's monitor.
#pragma once

#include <span>

inline constexpr int kRecordRateHz = 44100;

// Root mean square of both channels together.
double Rms(std::span<const float> stereo);
// Amplitude of the sine at `frequencyHz` in the left channel (Goertzel
// filter over the whole span): 0.5 for a full-length 0.5-amplitude tone.
double ToneAmplitude(std::span<const float> stereo, double frequencyHz);
