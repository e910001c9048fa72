// The surface as the Cairo and Pango backend holds it. Only the backend's
// own files (surface_cairo.cpp, text_pango.cpp, picture_scale_cairo.cpp)
// include this header: nothing else sees a Cairo or Pango type.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "display/surface.h"
#include "text/text.h"

struct Surface {
  int width = 0;   // in surface pixels
  int height = 0;
  int scale = 1;        // device pixels per surface pixel, each way, of `pixels`
  int wantedScale = 1;  // what the next BeginDrawing makes `pixels` at
  cairo_surface_t* pixels = nullptr;  // the retained picture, at device resolution
  cairo_t* cr = nullptr;              // lives as long as the surface
  bool drawing = false;               // between BeginDrawing and EndDrawing
  DrawMode mode = DrawMode::Opaque;
  PangoContext* pango = nullptr;
  // Each font drawn so far, with Pango's description of it.
  struct FontEntry {
    FontFace face;
    PangoFontDescription* description;
    PangoLayout* scratch;  // measures texts that are not drawn (the fitting loop)
    float lineHeight;
  };
  std::vector<FontEntry> fonts;
  int font = -1;  // the selected entry of `fonts`; -1: none
  // Shaping text is the dearest part of a frame, and a frame draws the same
  // few strings as the one before: keep a laid-out copy of each, per font.
  struct CachedLayout {
    int font;
    Text text;
    PangoLayout* layout;
    uint64_t lastUse;
  };
  std::vector<CachedLayout> layouts;  // at most kMaxCachedLayouts, least recently used reused
  uint64_t useCount = 0;
  std::function<void(int x, int y, int width, int height)> present;
  // What `present` last showed. An idle player draws the same picture 12 times
  // a second, and a playing one mostly changes only the panel and the badge:
  // copying the rest to the screen again would be work for nothing.
  std::vector<unsigned char> presented;
  std::vector<DrawOp>* recording = nullptr;  // tests only
  // The backdrop and its context, made when first drawn. While it is drawn
  // on, it and the picture change places: every operation draws on `pixels`.
  cairo_surface_t* backdrop = nullptr;
  cairo_t* backdropCr = nullptr;
  bool backdropDrawn = false;  // at the current scale
  bool onBackdrop = false;
  struct Saved {
    DrawMode mode;
    int font;
    std::vector<DrawOp>* recording;
  } beforeBackdrop{};
  // What drawing touched since StartDrawnArea: left, top, right, bottom
  // (exclusive), in surface pixels; empty when right <= left.
  int drawnLeft = 0, drawnTop = 0, drawnRight = 0, drawnBottom = 0;
  // Per band of kPresentBandRows rows, the columns [first, last) touched
  // since drawing opened: what EndDrawing compares with what was shown.
  std::vector<std::pair<int, int>> touchedColumns;
  bool touchedWhileClosed = false;  // drawn on outside BeginDrawing and EndDrawing
};

constexpr int kPresentBandRows = 12;

// Counts a box of surface pixels as touched by drawing (clipped to the surface).
void Touch(Surface& s, int x, int y, int w, int h);

// Appends an operation to the test recording, if there is one.
void Record(Surface& s, DrawOp::Kind kind, Colour colour, int x, int y, int w, int h, int rx = 0, int ry = 0);
// Sets the colour of the next fill, blended only in the alpha-blend mode.
void SetSource(Surface& s, Colour c);
// A Cairo image over the picture's own pixels (no copy); destroy it after use.
cairo_surface_t* WrapPicture(const Picture& picture);
// The same for drawing it: an opaque picture is wrapped without alpha.
cairo_surface_t* WrapPictureToDraw(const Picture& picture);
// Releases the text objects of a surface that is being destroyed.
void ReleaseTextObjects(Surface& s);
