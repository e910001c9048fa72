// SPDX-License-Identifier: GPL-3.0-or-later
// The surface as the Cairo and Pango backend holds it. Only the backend's
// own files (surface_cairo.cpp, text_pango.cpp, picture_scale_cairo.cpp)
// include this header: nothing else sees a Cairo or Pango type.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <cstdint>
#include <vector>

#include "display/surface_common.h"
#include "text/text.h"

struct Surface : SurfaceCommon {
  cairo_surface_t* pixels = nullptr;  // the retained picture, at device resolution
  cairo_t* cr = nullptr;              // lives as long as the surface
  PangoContext* pango = nullptr;
  // Each font drawn so far, with Pango's description of it.
  struct FontEntry {
    FontFace face;
    PangoFontDescription* description;
    PangoLayout* scratch;  // measures texts that are not drawn (the fitting loop)
    float lineHeight;
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
  // The backdrop and its context, made when first drawn on.
  cairo_surface_t* backdrop = nullptr;
  cairo_t* backdropCr = nullptr;
};

// Sets the colour of the next fill, blended only in the alpha-blend mode.
void SetSource(Surface& s, Colour c);
// A Cairo image over the picture's own pixels (no copy); destroy it after use.
cairo_surface_t* WrapPicture(const Picture& picture);
// The same for drawing it: an opaque picture is wrapped without alpha.
cairo_surface_t* WrapPictureToDraw(const Picture& picture);
// Releases the text objects of a surface that is being destroyed.
void ReleaseTextObjects(Surface& s);
