// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frame.h"

#include "app/playback.h"
#include "app/rescale_cover.h"
#include "audio/stream_control.h"
#include "display/main_view.h"
#include "display/visualizer.h"

void AdvancePulsePhase(Player& player) {
  player.pulsePhase = player.pulsePhase + 0.06f;
  if (player.pulsePhase > 1.0f) player.pulsePhase = 0.0f;
}

void FetchSpectrum(Player& player) {
  if (player.streamHandle == 0) return;
  if (!IsStreamLive(player)) return;
  ReadSpectrum(Bass(player), player.streamHandle, player.spectrum);
}

void StepAnimation(Player& player) {
  AdvancePulsePhase(player);
  FetchSpectrum(player);
}

void UpdateVisualizer(Player& player) {
  const VisualizerMode* mode = FindVisualizerMode(player.visualizerMode);
  if (mode == nullptr) return;
  if (mode->showsSamples) {
    // Zeroed so that a library claiming more than it wrote shows silence.
    player.samples.fill(0.0f);
    player.sampleBytes = 0;
    if (player.streamHandle != 0) player.sampleBytes = ReadSamples(Bass(player), player.streamHandle, player.samples);
  }
  if (mode->step != nullptr) mode->step(player);
}

void UpdateFrame(Player& player) {
  // Asked even without a stream, which then reads as not live.
  player.streamLive = IsStreamLive(player);
  UpdateVisualizer(player);
  // Recomputed on every frame, so the knob follows a drag at once.
  PlaceVolumeKnob(player.layout, player.volume);
}

void RenderMainView(Player& player) {
  if (player.mainSurface == nullptr) return;
  Surface& s = *player.mainSurface;
  if (!BeginDrawing(s)) return;
  UpdateFrame(player);
  KeepDeviceCover(player, SurfaceScale(s));
  DrawMainView(player, player.viewCaches, s);
  EndDrawing(s);
}
