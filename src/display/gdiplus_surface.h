// SPDX-License-Identifier: GPL-3.0-or-later
// The GDI+ backend's own objects. Only the backend's files
// (surface_gdiplus.cpp, text_gdiplus.cpp, picture_scale_gdiplus.cpp) include
// this header: nothing else sees a Windows or GDI+ type.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "display/surface_backend.h"

// Premultiplied 32-bit pixels, all opaque, which GDI+ draws into as PARGB and
// the window copies to the screen as they are. Members go in reverse order:
// the graphics before the bitmap before the pixels.
struct BackendPicture {
  Image pixels;
  std::unique_ptr<Gdiplus::Bitmap> bitmap;      // over `pixels`, no copy
  std::unique_ptr<Gdiplus::Graphics> graphics;  // lives as long as the picture
};

struct BackendText {
  // A picture of one pixel at scale 1, whose graphics measures every text
  // and line: the widths stay those of scale 1 whatever the scale drawn at,
  // as the layout needs them.
  std::unique_ptr<BackendPicture> measuring;
  // Each font opened; its handle is its index.
  struct FontEntry {
    std::unique_ptr<Gdiplus::Font> font;
    float lineHeight;
    // Symbols drawn from a symbol font where `font` has no glyph for them,
    // moved down by `baselineDy` so that both fonts share a baseline.
    struct Substitute {
      std::u16string text;
      std::unique_ptr<Gdiplus::Font> font;
      float baselineDy;
    };
    std::vector<Substitute> substitutes;
  };
  std::vector<FontEntry> fonts;
};

// A picture of width by height surface pixels at `scale` (surface_backend.h);
// nullptr when it cannot be had.
BackendPicture* CreateGdiplusPicture(int width, int height, float scale);
// GDI+ started for this process, once, on first use; false if it cannot be.
// It is never shut down: the process's end releases it.
bool StartGdiplus();
// A GDI+ bitmap over the picture's own pixels (no copy), for reading only.
std::unique_ptr<Gdiplus::Bitmap> WrapPicture(const Picture& picture);
// A colour with its alpha.
Gdiplus::Color GdiplusColour(Colour c);

// The text half of the table (text_gdiplus.cpp).
const TextBackend& GdiplusText();

// The family to draw a face list ("A, B") in, chosen once per list for the
// process: its first face GDI+ draws Latin text in, else one of the faces
// most Windows have, else the system's message font, else any installed
// family that draws Latin text. Null only when no family draws text at all.
// (font_choice_gdiplus.cpp)
const Gdiplus::FontFamily* ChooseFontFamily(const std::string& faces);
// The installed families of symbols, where a text's family has no glyph.
const std::vector<std::unique_ptr<Gdiplus::FontFamily>>& SymbolFamilies();
// Whether GDI+ draws each character of the text in the font as a glyph, not
// as the box of a missing one.
bool DrawsGlyphs(const Gdiplus::Font& font, std::u16string_view text);
