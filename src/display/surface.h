// The retained drawing surface: a Cairo image that keeps what was last drawn
// on it. Drawing is opened, done with immediate operations in one of three
// modes, and closed, which shows the new picture (through `present`).
//
// Every float coordinate or size handed to a box, rounded box, circle, line
// or picture is rounded to the nearest integer, halves to even, here and only
// here; text positions stay floats. Lines are one pixel wide: one pixel per
// column (or per row when steep), both ends included, written straight into
// the picture rather than stroked, which would smear a slanted line over two.
#pragma once

#include <pango/pango.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"
#include "display/colour.h"
#include "display/image.h"

enum class DrawMode {
  Opaque,           // shapes cover their pixels; colour alpha has no effect
  TransparentText,  // as Opaque; text has no background box
  AlphaBlend,       // shapes are blended by their colour's alpha
};

// A font is a Pango description ("Segoe UI 12"); 96 DPI, so 18 pt is 24 px.
using Font = PangoFontDescription*;

// What a test sees of a drawing, after rounding. Only filled when a test
// hands the surface a recording vector.
struct DrawOp {
  enum class Kind { Box, RoundedBox, Circle, Line, Picture, PictureStretched, Text };
  Kind kind = Kind::Box;
  DrawMode mode = DrawMode::Opaque;
  Colour colour = 0;
  int x = 0, y = 0, w = 0, h = 0;  // box, picture; line: (x, y) to (w, h); circle: centre, radius in w
  int rx = 0, ry = 0;              // rounded box radii after the radius rule
  float textX = 0, textY = 0;      // text position, kept as floats
  std::string text;                // UTF-8
};

struct Surface {
  int width = 0;
  int height = 0;
  cairo_surface_t* pixels = nullptr;  // the retained picture
  cairo_t* cr = nullptr;              // lives as long as the surface
  bool drawing = false;               // between BeginDrawing and EndDrawing
  DrawMode mode = DrawMode::Opaque;
  Font font = nullptr;                // selected font
  PangoContext* pango = nullptr;
  // Shaping text is the dearest part of a frame, and a frame draws the same
  // few strings as the one before: keep a laid-out copy of each, per font.
  struct FontLayouts {
    Font font;
    PangoLayout* scratch;  // measures texts that are not drawn (the fitting loop)
    float lineHeight;
  };
  struct CachedLayout {
    Font font;
    Text text;
    PangoLayout* layout;
    uint64_t lastUse;
  };
  std::vector<FontLayouts> fonts;
  std::vector<CachedLayout> layouts;  // at most kMaxCachedLayouts, least recently used reused
  uint64_t useCount = 0;
  // Results of FitTextToWidth, which measures a long text many times over.
  struct FittedText {
    Font font;
    float maxWidth;
    Text text;
    Text fitted;
  };
  std::vector<FittedText> fitted;
  size_t nextFitted = 0;
  // A gradient drawn once into a picture of its own and copied on later frames.
  struct CachedGradient {
    int32_t width = 0, height = 0;
    Colour top = 0, bottom = 0;
    Image picture = nullptr;
  };
  CachedGradient gradient;
  // Shows the part (x, y, width, height) of the picture that changed; set by
  // the window. Called once per changed band of rows, not at all for a
  // picture the same as the last one.
  std::function<void(int x, int y, int width, int height)> present;
  // What `present` last showed. An idle player draws the same picture 12 times
  // a second, and a playing one mostly changes only the panel and the badge:
  // copying the rest to the screen again would be work for nothing.
  std::vector<unsigned char> presented;
  std::vector<DrawOp>* recording = nullptr;            // tests only
};

// Creates an opaque surface of the given size; nullptr on failure.
Surface* CreateSurface(int width, int height);
void DestroySurface(Surface*& surface);

// Opens drawing in the opaque mode; false if the surface cannot be drawn on.
bool BeginDrawing(Surface& s);
// Closes drawing and shows the new picture, unless it is the one already shown.
void EndDrawing(Surface& s);

void SetDrawMode(Surface& s, DrawMode mode);
void SelectFont(Surface& s, Font font);

void FillBox(Surface& s, float x, float y, float w, float h, Colour colour);
// Elliptic corners of radii rx, ry. Negative sizes are taken from the other
// side; a radius larger than half its side is cut to side div 2.
void FillRoundedBox(Surface& s, float x, float y, float w, float h, float rx, float ry, Colour colour);
void FillCircle(Surface& s, float cx, float cy, float radius, Colour colour);
void DrawLine(Surface& s, float x1, float y1, float x2, float y2, Colour colour);
void DrawImage(Surface& s, Image image, float x, float y);
void DrawImageStretched(Surface& s, Image image, float x, float y, float w, float h);

// Text in the selected font, the top-left corner of its line box at (x, y).
void DrawText(Surface& s, std::u16string_view text, float x, float y, Colour colour);
// Advance width of the whole string in the selected font, in pixels.
float TextWidth(Surface& s, std::u16string_view text);
// Height of one line of the selected font, in pixels.
float LineHeight(Surface& s);

// Round half to even, the one rounding rule of all drawing.
int RoundPixel(float value);
