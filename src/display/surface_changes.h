// SPDX-License-Identifier: GPL-3.0-or-later
// The surface's front keeps count of what drawing touched, so that a frame
// that moves a small part costs a small part: the area a moving part drew in,
// and per band of rows the columns to compare with what was shown last.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "display/surface_pixels.h"

constexpr int kPresentBandRows = 12;

using PresentFn = std::function<void(int x, int y, int width, int height)>;

struct SurfaceChanges {
  // What drawing touched since StartDrawnArea (or since drawing opened).
  PixelArea drawn;
  // Per band of kPresentBandRows rows, the columns [first, last) touched
  // since drawing opened: all that closing compares with what was shown.
  std::vector<std::pair<int, int>> touchedColumns;
  bool touchedWhileClosed = false;  // drawn on outside BeginDrawing and EndDrawing
  // What was last shown. An idle player draws the same picture 12 times a
  // second, and a playing one mostly changes only the panel and the badge:
  // showing the rest again would be work for nothing.
  std::vector<unsigned char> presented;
};

// Opening a drawing on a surface of that size: nothing touched yet, or
// everything if the picture was drawn on while drawing was closed.
void StartTouching(SurfaceChanges& changes, int width, int height);
// Counts an area of the surface (already clipped to it) as touched.
void TouchArea(SurfaceChanges& changes, PixelArea box);

// Closing a drawing: shows, through `present`, the bands of rows whose pixels
// differ from what was shown last (everything the first time). Compared in
// device pixels, shown in whole surface pixels; only the columns drawing
// touched in a band can differ.
void PresentChangedRows(SurfaceChanges& changes, const PixelTarget& picture, const PresentFn& present);
