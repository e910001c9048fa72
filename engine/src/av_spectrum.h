// SPDX-License-Identifier: GPL-3.0-or-later
// The 1024-point magnitude spectrum behind BASS_DATA_FFT1024.
#pragma once

#include <cstddef>

namespace orvelle {

constexpr size_t kFftSize = 1024;
constexpr size_t kFftBins = kFftSize / 2;

struct SpectrumAnalyser;

// Buffers and tables are allocated here once; nullptr when libav refuses.
SpectrumAnalyser* CreateSpectrumAnalyser();
void DestroySpectrumAnalyser(SpectrumAnalyser* analyser);

// Hann-windowed transform of kFftSize mono samples into kFftBins magnitudes,
// scaled so that a full-scale sine centred on a bin reads 1.0 there.
// Allocates nothing.
void ComputeSpectrum(SpectrumAnalyser* analyser, const float* mono, float* magnitudes);

}  // namespace orvelle
