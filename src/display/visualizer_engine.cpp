#include <cmath>

#include "audio/playback.h"
#include "display/visualizer.h"
#include "display/visualizer_modes.h"

namespace {

constexpr int kLastBin = 511;
const double kLogScale = std::log(41.0);  // ln(1 + 40 × 1): an average of 1 is full level

}  // namespace

void FetchSpectrum(Player& player) {
  if (player.streamHandle == 0) return;
  if (!IsStreamLive(player)) return;
  Bass(player).BASS_ChannelGetData(player.streamHandle, player.spectrum.data(), kDataFft1024);
}

float BandLevel(const Player& player, float t, float curve) {
  const double p = std::pow(double(t), double(curve));
  // A NaN position must not reach the integer conversion; clamp before it.
  const double scaled = std::isnan(p) ? 0.0 : std::fmin(std::fmax(p * kLastBin, 0.0), double(kLastBin));
  const int centre = int(scaled);
  float sum = 0.0f;
  for (int j = centre - 2; j <= centre + 2; ++j) {
    if (j < 0 || j > kLastBin) continue;
    const float bin = player.spectrum[size_t(j)];
    if (!std::isnan(bin)) sum += bin;  // a library may hand over NaN; it counts as silence
  }
  const double average = sum / 5.0f;  // always five, even at the edges
  double level = std::log(1.0 + 40.0 * average) / kLogScale;
  if (std::isnan(level)) level = 0.0;  // -inf, inf - inf, or an average below -1/40
  return float(std::fmin(std::fmax(level, 0.0), 1.0));
}

void DrawVisualizer(Player& player, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  switch (player.visualizerMode) {
    case 0:
      DrawLineVisualizer(player, s, x, y, w, h);
      break;
    case 1:
      DrawBarsVisualizer(player, s, x, y, w, h);
      break;
    case 2:
      DrawMirrorBarsVisualizer(player, s, x, y, w, h);
      break;
    case 3:
      DrawCircleVisualizer(player, s, x, y, w, h);
      break;
    case 4:
      DrawRaysVisualizer(player, s, x, y, w, h);
      break;
    case 5:
      DrawOscilloscope(player, s, x, y, w, h);
      break;
    default:
      break;  // an unknown mode leaves the panel empty
  }
}
