// What the main view keeps from one frame to the next, only to draw faster:
// the fitted title and artist lines and the background gradient.
#pragma once

#include "display/gradient.h"
#include "display/text_fit.h"

struct MainViewCaches {
  FittedTextCache fittedTexts;
  GradientCache gradient;
};
