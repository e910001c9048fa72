// What the main view keeps from one frame to the next, only to draw faster
// or sharper: the fitted title and artist lines, the background gradient and,
// on a display scaled above 1, the cover at device resolution.
#pragma once

#include <cstdint>

#include "display/gradient.h"
#include "display/text_fit.h"

// The cover resampled from the downloaded picture to the device pixels of its
// box, made once per cover and scale by whoever replaces covers. The view
// draws it instead of the 250 by 250 copy when its scale is the surface's.
struct DeviceCover {
  uint32_t cover = 0;  // which cover it was made from, as its maker counts them
  int scale = 1;
  Image picture;
};

struct MainViewCaches {
  FittedTextCache fittedTexts;
  GradientCache gradient;
  DeviceCover deviceCover;
};
