// SPDX-License-Identifier: GPL-3.0-or-later
#include "av_spectrum.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/tx.h>
}

#include <cmath>

namespace orvelle {

// The windowed sum of a full-scale sine is N/4 at its bin (N/2 from the
// complex pair, halved again by the Hann window's mean).
constexpr float kMagnitudeScale = 4.0f / float(kFftSize);

// libav's SIMD transforms need their own alignment: every buffer comes from
// av_malloc. The real transform writes N/2 + 1 complex values.
struct SpectrumAnalyser {
  AVTXContext* context = nullptr;
  av_tx_fn transform = nullptr;
  float* window = nullptr;   // kFftSize coefficients
  float* input = nullptr;    // kFftSize windowed samples
  AVComplexFloat* output = nullptr;  // kFftBins + 1 values
};

SpectrumAnalyser* CreateSpectrumAnalyser() {
  auto* a = new SpectrumAnalyser;
  const float scale = 1.0f;
  a->window = static_cast<float*>(av_malloc(kFftSize * sizeof(float)));
  a->input = static_cast<float*>(av_malloc(kFftSize * sizeof(float)));
  a->output = static_cast<AVComplexFloat*>(av_malloc((kFftBins + 1) * sizeof(AVComplexFloat)));
  if (a->window == nullptr || a->input == nullptr || a->output == nullptr ||
      av_tx_init(&a->context, &a->transform, AV_TX_FLOAT_RDFT, 0, int(kFftSize), &scale, 0) < 0) {
    DestroySpectrumAnalyser(a);
    return nullptr;
  }
  for (size_t n = 0; n < kFftSize; ++n)
    a->window[n] = float(0.5 - 0.5 * std::cos(2.0 * M_PI * double(n) / double(kFftSize)));
  return a;
}

void DestroySpectrumAnalyser(SpectrumAnalyser* a) {
  if (a == nullptr) return;
  av_tx_uninit(&a->context);
  av_freep(&a->window);
  av_freep(&a->input);
  av_freep(&a->output);
  delete a;
}

void ComputeSpectrum(SpectrumAnalyser* a, const float* mono, float* magnitudes) {
  for (size_t n = 0; n < kFftSize; ++n) {
    const float x = mono[n];
    a->input[n] = std::isfinite(x) ? x * a->window[n] : 0.0f;
  }
  a->transform(a->context, a->output, a->input, sizeof(float));
  for (size_t k = 0; k < kFftBins; ++k)
    magnitudes[k] = std::hypot(a->output[k].re, a->output[k].im) * kMagnitudeScale;
}

}  // namespace orvelle
