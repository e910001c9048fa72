// SPDX-License-Identifier: GPL-3.0-or-later
// What the main view keeps from one frame to the next, only to draw faster
// or sharper: the fitted title and artist lines, the background gradient,
// on a display scaled above 1 the cover at device resolution, and what the
// still picture under the moving parts was drawn from.
#pragma once

#include <cstdint>

#include "display/gradient.h"
#include "display/surface.h"
#include "display/text_fit.h"
#include "model/player_model.h"

// The cover resampled from the downloaded picture to the device pixels of its
// box, made once per cover and scale by whoever replaces covers. The view
// draws it instead of the 250 by 250 copy when its scale is the surface's.
struct DeviceCover {
  uint32_t cover = 0;  // which cover it was made from, as its maker counts them
  float scale = 1;
  Image picture;
};

// Everything the still parts of the main view are drawn from: while it is
// the same, the surface's backdrop holds them as they would be drawn now.
struct StillInputs {
  float scale = 0;
  Text song;
  uint64_t coverScaled = 0, coverImage = 0, deviceCover = 0;  // picture serials; 0: none
  Fonts fonts;
  Layout layout;  // with the knob's box left out: the knob moves
  Control focusRing = Control::NoControl;

  bool operator==(const StillInputs&) const = default;
};

// The parts of a frame that move from one frame to the next, each drawn over
// the backdrop: the badge's dot and word, the visualizer, the volume's fill and knob.
constexpr int kMovingParts = 3;

struct StillPicture {
  enum class State {
    None,  // nothing known
    Seen,  // the last frame was drawn whole from `inputs`
    Kept,  // the backdrop holds the still parts drawn from `inputs`
  };
  State state = State::None;
  StillInputs inputs;
  PixelArea moved[kMovingParts];  // where each moving part drew last
};

struct MainViewCaches {
  FittedTextCache fittedTexts;
  GradientCache gradient;
  DeviceCover deviceCover;
  StillPicture still;
};
