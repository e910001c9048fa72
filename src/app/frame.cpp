// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frame.h"

#include "app/changes.h"
#include "app/rescale_cover.h"
#include "audio/stream_control.h"
#include "display/main_view.h"
#include "display/visualizer.h"

void AdvancePulsePhase(VisualizerState& visualizer) {
  visualizer.pulsePhase = visualizer.pulsePhase + 0.06f;
  if (visualizer.pulsePhase > 1.0f) visualizer.pulsePhase = 0.0f;
}

void FetchSpectrum(const AudioApi& bass, const PlaybackState& playback, VisualizerState& visualizer) {
  if (playback.streamHandle == 0) return;
  if (!IsStreamPlaying(bass, playback.streamHandle)) return;
  ReadSpectrum(bass, playback.streamHandle, visualizer.spectrum);
}

void UpdateVisualizer(const AudioApi& bass, const PlaybackState& playback, VisualizerState& visualizer) {
  const VisualizerDrawing* drawing = FindVisualizerDrawing(visualizer.visualizerMode);
  if (drawing == nullptr) return;
  if (drawing->showsSamples) {
    // Zeroed so that a library claiming more than it wrote shows silence.
    visualizer.samples.fill(0.0f);
    visualizer.sampleBytes = 0;
    if (playback.streamHandle != 0) {
      visualizer.sampleBytes = ReadSamples(bass, playback.streamHandle, visualizer.samples);
    }
  }
  if (drawing->step != nullptr) drawing->step(visualizer);
}

void FollowLiveFlag(Player& player) {
  // Asked even without a stream, which then reads as not live.
  const bool live = IsStreamPlaying(Bass(player), player.playback.streamHandle);
  if (live != player.playback.streamLive) {
    player.playback.streamLive = live;
    MarkChanged(player, kPlayingChanged);
  }
}

void UpdateFrame(Player& player) {
  FollowLiveFlag(player);
  UpdateVisualizer(Bass(player), player.playback, player.visualizer);
  // Recomputed on every frame, so the knob follows a drag at once.
  PlaceVolumeKnob(player.look.layout, player.playback.volume);
}

void RenderMainView(Player& player) {
  if (player.mainSurface == nullptr) return;
  Surface& s = *player.mainSurface;
  if (!BeginDrawing(s)) return;
  UpdateFrame(player);
  KeepDeviceCover(player.song, player.look.layout.coverBox, SurfaceScale(s), player.viewCaches.deviceCover);
  DrawMainView(player, player.viewCaches, s);
  EndDrawing(s);
}
