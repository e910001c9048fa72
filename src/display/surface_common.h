// SPDX-License-Identifier: GPL-3.0-or-later
// The part of a drawing surface that is the same whatever draws it: its
// size and state, the test recording, the one-pixel lines written straight
// into its pixels, the radius rule of rounded boxes, what drawing touched,
// the backdrop's bookkeeping and the showing of what changed. Each backend's
// Surface starts with this and adds its own objects (surface_cairo.cpp,
// surface_gdiplus.cpp); only backend files include it.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "display/surface.h"

struct SurfaceCommon {
  int width = 0;   // in surface pixels
  int height = 0;
  int scale = 1;        // device pixels per surface pixel, each way, of the picture
  int wantedScale = 1;  // what the next BeginDrawing makes the picture at
  bool drawing = false;  // between BeginDrawing and EndDrawing
  DrawMode mode = DrawMode::Opaque;
  std::function<void(int x, int y, int width, int height)> present;
  // What `present` last showed. An idle player draws the same picture 12 times
  // a second, and a playing one mostly changes only the panel and the badge:
  // copying the rest to the screen again would be work for nothing.
  std::vector<unsigned char> presented;
  std::vector<DrawOp>* recording = nullptr;  // tests only
  int font = -1;  // the selected entry of the backend's fonts; -1: none

  // What drawing touched since StartDrawnArea (or since drawing opened).
  PixelArea drawn;
  // Per band of kPresentBandRows rows, the columns [first, last) touched
  // since drawing opened: all that closing compares with what was shown.
  std::vector<std::pair<int, int>> touchedColumns;
  bool touchedWhileClosed = false;  // drawn on outside BeginDrawing and EndDrawing

  // Each backend keeps a backdrop beside its picture; while the backdrop is
  // drawn on, the two change places, so every operation draws on the picture.
  bool backdropDrawn = false;  // at the current scale
  bool onBackdrop = false;
  struct Saved {
    DrawMode mode;
    int font;
    std::vector<DrawOp>* recording;
  } beforeBackdrop{};
};

constexpr int kPresentBandRows = 12;

// Appends an operation to the test recording, if there is one.
void Record(SurfaceCommon& s, DrawOp::Kind kind, Colour colour, int x, int y, int w, int h, int rx = 0, int ry = 0);

// A one-pixel line from (x1, y1) to (x2, y2), both ends included, into the
// surface's pixels (`data`, rows `stride` bytes apart, 32-bit 0xRRGGBB words,
// `scale` by `scale` of them per surface pixel): replaced, or blended by the
// colour's alpha in the alpha-blend mode. Only the part on the surface is walked.
void PlotLine(SurfaceCommon& s, uint8_t* data, int stride, int x1, int y1, int x2, int y2, Colour colour);

// A box of whole pixels (a negative side taken from the other side), into
// the surface's pixels as PlotLine writes them.
void FillPixelBox(SurfaceCommon& s, uint8_t* data, int stride, int x, int y, int w, int h, Colour colour);

// A box of whole pixels, as a rounded box is drawn after the radius rule.
struct PixelRoundedBox {
  int x, y, w, h, rx, ry;
};
// Rounds, takes negative sizes from the other side and cuts each radius to
// half its side (div 2).
PixelRoundedBox RoundedBoxInPixels(float x, float y, float w, float h, float rx, float ry);

// The part of a box that lies on the surface, a negative side taken from
// the other side; an area of no pixels when none does.
PixelArea OnSurface(const SurfaceCommon& s, int64_t x, int64_t y, int64_t w, int64_t h);

// Opening a drawing: nothing touched yet, or everything if the picture was
// drawn on while drawing was closed.
void StartTouching(SurfaceCommon& s);
// Counts a box of surface pixels as touched by drawing (clipped to the
// surface). Whatever writes pixels calls it; the backdrop's drawing does not count.
void Touch(SurfaceCommon& s, int x, int y, int w, int h);

// The state's part of the picture and the backdrop changing places, which
// each backend does with its own objects: onto the backdrop, the opaque mode
// and no recording; back onto the picture, its mode, font and recording.
void ChangePlacesWithBackdrop(SurfaceCommon& s);
// Copies the backdrop's device pixels of `area` (clipped to the surface)
// over the picture's, both `stride` bytes a row, while drawing is open on
// the picture and the backdrop was drawn.
void PutBackdropBack(SurfaceCommon& s, uint8_t* picture, const uint8_t* backdrop, int stride, PixelArea area);

// Closing a drawing: shows, through `present`, the bands of rows whose
// pixels differ from what was shown last (everything the first time).
// Compared in device pixels, shown in whole surface pixels; only the
// columns drawing touched in a band can differ.
void PresentChangedRows(SurfaceCommon& s, const uint8_t* data, int stride);
