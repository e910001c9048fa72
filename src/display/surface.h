// SPDX-License-Identifier: GPL-3.0-or-later
// The retained drawing surface: a picture that keeps what was last drawn on
// it. Drawing is opened, done with immediate operations in one of three
// modes, and closed, which shows the new picture (through the present
// callback). Every rule below is kept once, in the front (surface.cpp); what
// draws the pixels (Cairo and Pango, or GDI+) stays inside the backend files,
// behind one table (surface_backend.h). Everything else sees this interface
// and the neutral Picture.
//
// Every float coordinate or size handed to a box, rounded box, circle, line
// or picture is rounded to the nearest integer, halves to even, here and only
// here; text positions stay floats. Lines are one pixel wide: one pixel per
// column (or per row when steep), both ends included, written straight into
// the picture rather than stroked, which would smear a slanted line over two.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/colour.h"
#include "model/font.h"
#include "model/picture.h"

struct Surface;

enum class DrawMode {
  Opaque,           // shapes cover their pixels; colour alpha has no effect
  TransparentText,  // as Opaque; text has no background box
  AlphaBlend,       // shapes are blended by their colour's alpha
};

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

// The surface's pixels for whoever shows them: opaque 32-bit words 0x..RRGGBB
// (the top byte means nothing), `stride` bytes from one row to the next.
// Width and height count device pixels: `scale` of them each way per
// surface pixel, as DevicePixels places them.
struct PixelView {
  const uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  float scale = 1;
};

// Creates an opaque surface of the given size; nullptr on failure.
Surface* CreateSurface(int width, int height);
void DestroySurface(Surface*& surface);

// In surface pixels, whatever the scale.
int SurfaceWidth(const Surface& s);
int SurfaceHeight(const Surface& s);

// A display at a scale of 2 shows each surface pixel as 2 by 2 device
// pixels. Drawing stays in surface pixels; the picture is kept at device
// resolution, so that text and edges are as sharp as the display allows.
// A scale need not be whole (1.25 and 1.5 are common on Windows): surface
// pixels then cover one or two device pixels each way, as DevicePixels
// places their edges, while text, curves and resampled pictures are drawn
// at the exact scale. A new scale takes effect when drawing next opens:
// until then the last picture is shown at its own. At scale 1 nothing
// differs from a surface that never heard of scales.
constexpr float kMaxSurfaceScale = 4;
void SetSurfaceScale(Surface& s, float scale);  // clamped to 1..kMaxSurfaceScale; not a number: 1
// The scale of the picture being drawn or last drawn.
float SurfaceScale(const Surface& s);

// Where the edge at surface coordinate `edge` lies in device pixels at
// `scale`: edge times scale, to the nearest (halves away from zero). Exact
// at a whole scale. A length from 0 is its own edge: 800 at 1.25 is 1000.
int DevicePixels(int edge, float scale);
// The surface pixel that holds device pixel `device` at `scale` (the one
// whose edges surround it): how a pointer on the device maps back.
int SurfacePixelAt(int device, float scale);

// Opens drawing in the opaque mode; false if the surface cannot be drawn on.
bool BeginDrawing(Surface& s);
// Closes drawing and shows the new picture, unless it is the one already shown.
void EndDrawing(Surface& s);
// Between BeginDrawing and EndDrawing.
bool IsDrawing(const Surface& s);

// Shows the part (x, y, width, height) of the picture that changed, in
// surface pixels; set by the window. Called once per changed band of rows, not at all for a picture
// the same as the last one. Only what drawing touched is compared with what
// was shown, so a frame that redraws a small part costs a small part.
void SetPresent(Surface& s, std::function<void(int x, int y, int width, int height)> present);
// The picture as last drawn, for the window to show or a test to read.
PixelView SurfacePixels(Surface& s);
// 0xRRGGBB of one surface pixel of that picture (its top-left device pixel).
uint32_t SurfacePixel(Surface& s, int x, int y);
// Tests only: every operation from now on is appended to `ops` (nullptr stops).
void SetRecording(Surface& s, std::vector<DrawOp>* ops);

// An area in surface pixels; none when its width or height is 0.
struct PixelArea {
  int x = 0, y = 0, width = 0, height = 0;
};

// The backdrop: a second picture of the same size and scale, kept for what
// lies under the parts of a picture that move. A frame that only moves
// those parts puts the backdrop back where they were and draws them again,
// instead of drawing everything from the background up.
//
// While drawing is open on the picture, drawing goes to the backdrop
// instead, in the opaque mode, until EndDrawingBackdrop; false if the
// backdrop cannot be had. A test's recording does not see it.
bool BeginDrawingBackdrop(Surface& s);
// Back to the picture, in the mode and with the font it had.
void EndDrawingBackdrop(Surface& s);
// The backdrop was drawn, and at the scale the picture is drawn at now.
bool HasBackdrop(const Surface& s);
// While drawing is open on the picture: the backdrop's pixels of the area
// (clipped to the surface) replace the picture's.
void RestoreBackdrop(Surface& s, PixelArea area);

// Every pixel that drawing touches from now on is counted into one area.
void StartDrawnArea(Surface& s);
// The smallest area that holds every pixel touched since StartDrawnArea (or
// since drawing opened), clipped to the surface. Texts count with a margin
// around their ink.
PixelArea DrawnArea(const Surface& s);

void SetDrawMode(Surface& s, DrawMode mode);
// A font with no points selects none: text then measures 0 and draws nothing.
void SelectFont(Surface& s, const FontFace& font);
const FontFace& SelectedFont(const Surface& s);

void FillBox(Surface& s, float x, float y, float w, float h, Colour colour);
// Elliptic corners of radii rx, ry. Negative sizes are taken from the other
// side; a radius larger than half its side is cut to side div 2.
void FillRoundedBox(Surface& s, float x, float y, float w, float h, float rx, float ry, Colour colour);
void FillCircle(Surface& s, float cx, float cy, float radius, Colour colour);
void DrawLine(Surface& s, float x1, float y1, float x2, float y2, Colour colour);
// The picture at its own size, its top-left corner at (x, y).
void DrawPicture(Surface& s, const Picture& picture, float x, float y);
// The picture stretched to w by h.
void DrawPictureStretched(Surface& s, const Picture& picture, float x, float y, float w, float h);

// Text in the selected font, the top-left corner of its line box at (x, y).
void DrawText(Surface& s, std::u16string_view text, float x, float y, Colour colour);
// Advance width of the whole string in the selected font, in pixels.
float TextWidth(Surface& s, std::u16string_view text);
// Height of one line of the selected font, in pixels.
float LineHeight(Surface& s);

// Round half to even, the one rounding rule of all drawing.
int RoundPixel(float value);
