// SPDX-License-Identifier: GPL-3.0-or-later
// Each frame of the main view: the animation tick, the update that reads
// what a frame shows from the audio library and steps what moves with each
// drawing, and the drawing, which only draws what the update left.
#pragma once

#include "app/player_state.h"

// The phase step of one animation tick, wrapping to 0 past 1.
void AdvancePulsePhase(VisualizerState& visualizer);

// Refreshes `spectrum` from the stream while it is live.
void FetchSpectrum(const AudioApi& bass, const PlaybackState& playback, VisualizerState& visualizer);

// Before each drawing of the visualizer: the samples the oscilloscope shows
// (asked whenever a stream exists) and the bars' peak marks, for the mode
// that needs them.
void UpdateVisualizer(const AudioApi& bass, const PlaybackState& playback, VisualizerState& visualizer);

// Whether the stream plays, into `streamLive`, marking a change of it.
void FollowLiveFlag(Player& player);

// Before every drawing of the main view: the live flag (marking a change of
// it), the visualizer's update and the knob at the volume.
void UpdateFrame(Player& player);

// Updates and draws one complete frame on the main surface; nothing at all
// without a surface that can be drawn on.
void RenderMainView(Player& player);
