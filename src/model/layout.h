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

// The window's three controls, in the order Tab moves through them.
enum class Control : int { NoControl, Play, Stop, Volume };

constexpr int kMainSurfaceWidth = 800;
constexpr int kMainSurfaceHeight = 300;

// Writes all nine boxes; the knob box follows `volume`.
void ComputeLayout(Layout& layout, float volume);

// Moves the knob box to `volume`: it is centred on the track at that fraction.
void PlaceVolumeKnob(Layout& layout, float volume);

// The control's area: a button's box, or the slider's area as the pointer
// grabs it (the track, 10 pixels beyond its ends and 12 above and below
// it). Empty for NoControl.
Box ControlBox(const Layout& layout, Control control);
