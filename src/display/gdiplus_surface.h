// SPDX-License-Identifier: GPL-3.0-or-later
// The surface as the GDI+ backend holds it. Only the backend's own files
// (surface_gdiplus.cpp, text_gdiplus.cpp, picture_scale_gdiplus.cpp) include
// this header: nothing else sees a Windows or GDI+ type.
#pragma once

#include <windows.h>
#include <gdiplus.h>
#undef DrawText  // <windows.h>'s name for DrawTextA or DrawTextW, not the surface's DrawText

#include <memory>
#include <vector>

#include "display/surface_common.h"
#include "text/text.h"

struct Surface : SurfaceCommon {
  // The retained picture: premultiplied 32-bit pixels, all opaque, which
  // GDI+ draws into as PARGB and the window copies to the screen as they are.
  Image pixels;
  std::unique_ptr<Gdiplus::Bitmap> bitmap;      // over `pixels`, no copy
  std::unique_ptr<Gdiplus::Graphics> graphics;  // lives as long as the surface
  // Each font drawn so far, with GDI+'s object for it.
  struct FontEntry {
    FontFace face;
    std::unique_ptr<Gdiplus::Font> font;
    float lineHeight;
  };
  std::vector<FontEntry> fonts;
  // The backdrop, made as the picture is when first drawn on: its own
  // pixels, bitmap and graphics, which change places with the picture's.
  Image backdrop;
  std::unique_ptr<Gdiplus::Bitmap> backdropBitmap;
  std::unique_ptr<Gdiplus::Graphics> backdropGraphics;
};

// GDI+ started for this process, once, on first use; false if it cannot be.
// It is never shut down: the process's end releases it.
bool StartGdiplus();
// A GDI+ bitmap over the picture's own pixels (no copy), for reading only.
std::unique_ptr<Gdiplus::Bitmap> WrapPicture(const Picture& picture);
// The colour of a fill or a text: its alpha counts only in the alpha-blend mode.
Gdiplus::Color FillColour(const Surface& s, Colour c);
// Releases the text objects of a surface that is being destroyed.
void ReleaseTextObjects(Surface& s);
