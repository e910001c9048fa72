// SPDX-License-Identifier: GPL-3.0-or-later
// The main view's colours in one table: the drawing reads them here, and so
// does whatever checks what was drawn. All opaque; the modes decide blending.
#pragma once

#include "model/colour.h"

struct ViewColours {
  Colour background = Rgb(2, 8, 20);  // also the gradient's bottom
  Colour gradientTop = Rgb(6, 14, 32);
  Colour placeholder = Rgb(45, 55, 75);  // the cover box without a cover
  Colour placeholderText = Rgb(180, 190, 210);
  Colour titleText = Rgb(235, 242, 255);
  Colour artistText = Rgb(190, 205, 230);
  Colour badge = Rgb(28, 36, 56);
  Colour liveDot = Rgb(230, 60, 60);
  Colour liveText = Rgb(230, 235, 245);
  Colour offText = Rgb(160, 160, 160);
  Colour primaryFace = Rgb(30, 144, 255);  // the play button
  Colour secondaryFace = Rgb(60, 60, 80);  // the stop button
  Colour glyph = Rgb(255, 255, 255);
  Colour panel = Rgb(20, 26, 40);
  Colour visualizerBlue = Rgb(60, 140, 255);  // bars and rays
  Colour visualizerTrace = Rgb(200, 210, 235);  // traces, ring, middle lines
  Colour visualizerPeak = Rgb(230, 240, 255);  // peak marks
  Colour speaker = Rgb(200, 200, 220);
  Colour track = Rgb(80, 90, 110);
  Colour trackFill = Rgb(60, 140, 255);
  Colour knob = Rgb(220, 225, 235);
  Colour focusRing = Rgb(255, 196, 64);  // the keyboard's focus, seen against every part it rings
};

inline constexpr ViewColours kViewColours;
