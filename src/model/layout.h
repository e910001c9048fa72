// SPDX-License-Identifier: GPL-3.0-or-later
// The screen layout: the boxes of the 800 by 300 main surface that the main
// view draws into and the pointer handling tests against.
#pragma once

struct Box {
  float x = 0, y = 0, width = 0, height = 0;

  bool operator==(const Box&) const = default;
};

struct Layout {
  Box coverBox, titleBox, artistBox, visualizerBox, playButtonBox, stopButtonBox, volumeTrackBox, volumeKnobBox,
      liveBadgeBox;

  bool operator==(const Layout&) const = default;
};

constexpr int kMainSurfaceWidth = 800;
constexpr int kMainSurfaceHeight = 300;

// Writes all nine boxes; the knob box follows `volume`.
void ComputeLayout(Layout& layout, float volume);

// Moves the knob box to `volume`: it is centred on the track at that fraction.
void PlaceVolumeKnob(Layout& layout, float volume);
