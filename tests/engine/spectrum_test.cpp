// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "av_spectrum.h"

namespace orvelle {
namespace {

struct SineCase {
  double frequencyHz;
  double amplitude;
  size_t peakBin;
  float low, high;  // accepted range of the peak
};

class SpectrumTest : public ::testing::Test {
 protected:
  void SetUp() override { analyser = CreateSpectrumAnalyser(); ASSERT_NE(analyser, nullptr); }
  void TearDown() override { DestroySpectrumAnalyser(analyser); }
  std::vector<float> Of(const std::vector<float>& mono) {
    std::vector<float> bins(kFftBins, -1.0f);
    ComputeSpectrum(analyser, mono.data(), bins.data());
    return bins;
  }
  SpectrumAnalyser* analyser = nullptr;
};

TEST_F(SpectrumTest, SinesPeakAtTheirBinWithTheirAmplitude) {
  const SineCase cases[] = {
      {100.0 * 44100 / 1024, 1.0, 100, 0.99f, 1.01f},  // centred on a bin: exactly full scale
      {1000.0, 1.0, 23, 0.85f, 1.01f},                 // 23.2 bins: a little off centre
      {5000.0, 1.0, 116, 0.85f, 1.01f},
      {1000.0, 0.5, 23, 0.42f, 0.51f},
  };
  for (const SineCase& c : cases) {
    SCOPED_TRACE(c.frequencyHz);
    std::vector<float> mono(kFftSize);
    for (size_t n = 0; n < kFftSize; ++n) mono[n] = float(c.amplitude * std::sin(2 * M_PI * c.frequencyHz * n / 44100));
    const auto bins = Of(mono);
    const auto peak = std::max_element(bins.begin(), bins.end());
    EXPECT_EQ(size_t(peak - bins.begin()), c.peakBin);
    EXPECT_GE(*peak, c.low);
    EXPECT_LE(*peak, c.high);
  }
}

TEST_F(SpectrumTest, SilenceIsZeroAndBadSamplesNeverGiveNaN) {
  for (float bin : Of(std::vector<float>(kFftSize, 0.0f))) EXPECT_EQ(bin, 0.0f);
  std::vector<float> broken(kFftSize, 0.25f);
  broken[10] = NAN;
  broken[20] = INFINITY;
  for (float bin : Of(broken)) EXPECT_TRUE(std::isfinite(bin));
}

}  // namespace
}  // namespace orvelle
