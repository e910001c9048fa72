// SPDX-License-Identifier: GPL-3.0-or-later
// The contract between the surface's front (surface.cpp) and the one drawing
// backend built in: Cairo and Pango (surface_cairo.cpp, text_pango.cpp) or
// GDI+ (surface_gdiplus.cpp, text_gdiplus.cpp). A backend is a table of
// pixel-level operations on pictures and fonts of its own; every rule is the
// front's, kept once for all backends: rounding and the radius rule, clipping,
// the drawing modes, what drawing touched, the backdrop, the scale, the test
// recording and showing what changed.
//
// What the front promises every entry: it runs on the window's thread;
// coordinates are whole surface pixels (text positions stay floats); sizes
// are positive and every box reaches onto the picture; a colour comes with
// the alpha to draw it with, 255 replacing the pixels it covers (the front has
// applied the mode). Entries marked required must be set. An optional entry
// may be null: the front then does the work itself, in the picture's memory.
#pragma once

#include <string_view>

#include "model/colour.h"
#include "model/font.h"
#include "model/picture.h"

struct BackendPicture;  // a picture at device resolution, and what draws on it
struct BackendText;     // the fonts and laid-out texts of one surface

// A picture's memory: 32-bit words 0x..RRGGBB (the top byte means nothing),
// `stride` bytes from one row to the next.
struct PictureMemory {
  uint8_t* data = nullptr;
  int stride = 0;
};

// Where a text's ink may reach, relative to the point it was drawn at.
struct TextReach {
  float x = 0, y = 0, width = 0, height = 0;
};

// The text half of a backend, in its own file beside the rest: every entry
// required but hasGlyphs.
struct TextBackend {
  // The text objects of a surface whose first picture is given; nullptr when
  // they cannot be had.
  BackendText* (*create)(BackendPicture* picture) = nullptr;
  void (*destroy)(BackendText* text) = nullptr;
  // A handle for the font (0 or more) and its line height in pixels; -1 when
  // no face at all can be had. Asked once per face, whatever the answer.
  int (*openFont)(BackendText* text, BackendPicture* picture, const FontFace& face, float& lineHeight) = nullptr;
  // The advance width of the whole text, in pixels; the text is not empty.
  float (*measure)(BackendText* text, BackendPicture* picture, int font, std::u16string_view utf16) = nullptr;
  // Draws the text (not empty) with the top-left corner of its line box at
  // (x, y), which may be anything, even not a number; gives where its ink
  // may reach from there.
  TextReach (*draw)(BackendText* text, BackendPicture* picture, int font, std::u16string_view utf16, float x, float y,
                    Colour colour) = nullptr;
  // Optional: whether each character of the text (not empty) draws as a
  // glyph, not as the box of a missing one. The backend may take the glyphs
  // from a font of its own beside the one opened, and then measures and
  // draws this text in it from now on. Asked once per font and text, and
  // only of the player's symbols. Null: every text draws.
  bool (*hasGlyphs)(BackendText* text, BackendPicture* picture, int font, std::u16string_view utf16) = nullptr;
};

struct SurfaceBackend {
  // The largest scale it draws at; the front asks for no larger one.
  float maxScale = 1;
  // How far beyond its box a curve or a resampled picture may shade pixels
  // (smoothed edges): counted as touched with the rest.
  int curveMarginPx = 0;

  // Required. Width by height surface pixels at `scale`, each way, filled
  // with opaque black: DevicePixels(width, scale) by DevicePixels(height,
  // scale) device pixels. nullptr when it cannot be had.
  BackendPicture* (*createPicture)(int width, int height, float scale) = nullptr;
  // Required.
  void (*destroyPicture)(BackendPicture* picture) = nullptr;
  // Optional: whether the picture can still be drawn on. Null: always.
  bool (*canDraw)(BackendPicture* picture) = nullptr;
  // Required. Lands whatever drawing is pending and gives the memory, for
  // the front to read or write.
  PictureMemory (*memory)(BackendPicture* picture) = nullptr;
  // Optional: told after the front wrote into that memory. Null: nothing to tell.
  void (*memoryWritten)(BackendPicture* picture) = nullptr;

  // Optional: a box. Null: the front writes its pixels.
  void (*fillBox)(BackendPicture* picture, int x, int y, int w, int h, Colour colour) = nullptr;
  // Required: a box with elliptic corners of radii rx and ry, each at least 1
  // and at most half its side.
  void (*fillRoundedBox)(BackendPicture* picture, int x, int y, int w, int h, int rx, int ry, Colour colour) = nullptr;
  // Required: a disc.
  void (*fillCircle)(BackendPicture* picture, int cx, int cy, int radius, Colour colour) = nullptr;
  // Optional: a picture at its own size, each of its pixels on one surface
  // pixel, opaque ones copied and the others laid over. Null: the front copies it.
  void (*drawPicture)(BackendPicture* picture, const Picture& source, int x, int y) = nullptr;
  // Required: a picture resampled smoothly to w by h, another size than its own.
  void (*drawPictureStretched)(BackendPicture* picture, const Picture& source, int x, int y, int w, int h) = nullptr;
  // One-pixel lines have no entry: the front always writes them into the
  // memory, since a stroked line would smear a slanted one over two pixels.

  // Required: fonts, measuring and text.
  TextBackend text;
};

// The backend built in.
const SurfaceBackend& DrawingBackend();

// A surface drawn through another table, which must outlive it: how a test
// meets the front's own work where a backend leaves an optional entry out.
struct Surface;
Surface* CreateSurfaceWith(const SurfaceBackend& backend, int width, int height);
