// SPDX-License-Identifier: GPL-3.0-or-later
// The Cairo and Pango backend's own objects. Only the backend's files
// (surface_cairo.cpp, text_pango.cpp, picture_scale_cairo.cpp) include this
// header: nothing else sees a Cairo or Pango type.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <cstdint>
#include <vector>

#include "display/surface_backend.h"
#include "text/text.h"

struct BackendPicture {
  cairo_surface_t* pixels = nullptr;  // at device resolution, in surface pixels through its device scale
  cairo_t* cr = nullptr;              // lives as long as the picture
};

struct BackendText {
  PangoContext* pango = nullptr;
  // Each font opened, with Pango's description of it; its handle is its index.
  struct FontEntry {
    PangoFontDescription* description;
    PangoLayout* scratch;  // measures texts that are not drawn (the fitting loop)
  };
  std::vector<FontEntry> fonts;
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
};

// Sets the colour of the next fill, with its alpha.
void SetSource(cairo_t* cr, Colour c);
// A Cairo image over the picture's own pixels (no copy); destroy it after use.
cairo_surface_t* WrapPicture(const Picture& picture);

// The text half of the table (text_pango.cpp).
const TextBackend& PangoText();
