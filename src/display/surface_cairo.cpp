// SPDX-License-Identifier: GPL-3.0-or-later
// The surface, its shapes and pictures, drawn with Cairo.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "display/cairo_surface.h"
#include "os/log.h"

namespace {

constexpr double kDpi = 96.0;  // so that font sizes in points map to pixels as on the reference screen

// Lines go straight into the pixels, after Cairo's own drawing has landed.
void PlotLineOnCairo(Surface& s, int x1, int y1, int x2, int y2, Colour colour) {
  cairo_surface_flush(s.pixels);
  PlotLine(s, cairo_image_surface_get_data(s.pixels), cairo_image_surface_get_stride(s.pixels), x1, y1, x2, y2,
           colour);
  cairo_surface_mark_dirty(s.pixels);
}

}  // namespace

void SetSource(Surface& s, Colour c) {
  const double r = RedOf(c) / 255.0, g = GreenOf(c) / 255.0, b = BlueOf(c) / 255.0;
  if (s.mode == DrawMode::AlphaBlend) {
    cairo_set_source_rgba(s.cr, r, g, b, AlphaOf(c) / 255.0);
  } else {
    cairo_set_source_rgb(s.cr, r, g, b);
  }
}

cairo_surface_t* WrapPicture(const Picture& picture) {
  // Cairo only reads a surface it draws from.
  auto* data = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(picture.pixels.data()));
  return cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, picture.width, picture.height,
                                             picture.stride);
}

cairo_surface_t* WrapPictureToDraw(const Picture& picture) {
  if (!picture.opaque) return WrapPicture(picture);
  // Without alpha, Cairo copies the picture where it would blend it: the
  // same pixels, at a fraction of the cost (the gradient on every frame).
  auto* data = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(picture.pixels.data()));
  return cairo_image_surface_create_for_data(data, CAIRO_FORMAT_RGB24, picture.width, picture.height,
                                             picture.stride);
}

namespace {

// A picture of width by height surface pixels at `scale`; nullptr on failure.
cairo_surface_t* NewPicture(int width, int height, int scale) {
  cairo_surface_t* pixels = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width * scale, height * scale);
  if (cairo_surface_status(pixels) != CAIRO_STATUS_SUCCESS) {
    LogDiagnostic("cannot make a %dx%d drawing surface at scale %d: %s", width, height, scale,
                  cairo_status_to_string(cairo_surface_status(pixels)));
    cairo_surface_destroy(pixels);
    return nullptr;
  }
  // Cairo then takes every coordinate in surface pixels and draws at device resolution.
  cairo_surface_set_device_scale(pixels, scale, scale);
  return pixels;
}

void DropBackdrop(Surface& s) {
  if (s.backdropCr != nullptr) cairo_destroy(s.backdropCr);
  if (s.backdrop != nullptr) cairo_surface_destroy(s.backdrop);
  s.backdropCr = nullptr;
  s.backdrop = nullptr;
  s.backdropDrawn = false;
}

// Makes the picture again at the wanted scale; the old one stays if that fails.
void ApplyWantedScale(Surface& s) {
  if (s.wantedScale == s.scale) return;
  cairo_surface_t* pixels = NewPicture(s.width, s.height, s.wantedScale);
  if (pixels == nullptr) {
    s.wantedScale = s.scale;
    return;
  }
  cairo_destroy(s.cr);
  cairo_surface_destroy(s.pixels);
  s.pixels = pixels;
  s.cr = cairo_create(pixels);
  s.scale = s.wantedScale;
  DropBackdrop(s);  // drawn at the old scale
  // Layouts and fonts stay: the device scale is not part of the user space
  // they measure in, so texts keep their widths and only draw sharper.
  s.presented.clear();  // the next picture is shown whole
}

}  // namespace

Surface* CreateSurface(int width, int height) {
  cairo_surface_t* pixels = NewPicture(width, height, 1);
  if (pixels == nullptr) return nullptr;
  auto* s = new Surface;
  s->width = width;
  s->height = height;
  s->pixels = pixels;
  s->cr = cairo_create(pixels);
  s->pango = pango_cairo_create_context(s->cr);
  pango_cairo_context_set_resolution(s->pango, kDpi);
  return s;
}

void SetSurfaceScale(Surface& s, int scale) { s.wantedScale = std::clamp(scale, 1, kMaxSurfaceScale); }

int SurfaceScale(const Surface& s) { return s.scale; }

void DestroySurface(Surface*& s) {
  if (s == nullptr) return;
  if (s->onBackdrop) EndDrawingBackdrop(*s);
  DropBackdrop(*s);
  ReleaseTextObjects(*s);
  g_object_unref(s->pango);
  cairo_destroy(s->cr);
  cairo_surface_destroy(s->pixels);
  delete s;
  s = nullptr;
}

bool BeginDrawing(Surface& s) {
  ApplyWantedScale(s);
  if (s.cr == nullptr || cairo_status(s.cr) != CAIRO_STATUS_SUCCESS) return false;
  s.drawing = true;
  s.mode = DrawMode::Opaque;
  StartTouching(s);
  return true;
}

namespace {

// The picture and the backdrop change places, each with its context.
void SwapWithBackdrop(Surface& s) {
  cairo_surface_flush(s.pixels);
  std::swap(s.pixels, s.backdrop);
  std::swap(s.cr, s.backdropCr);
  ChangePlacesWithBackdrop(s);
}

// The backdrop, made at the picture's scale when there is none yet.
bool MadeBackdrop(Surface& s) {
  if (s.backdrop == nullptr) {
    s.backdrop = NewPicture(s.width, s.height, s.scale);
    if (s.backdrop == nullptr) return false;
    s.backdropCr = cairo_create(s.backdrop);
  }
  return cairo_status(s.backdropCr) == CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool BeginDrawingBackdrop(Surface& s) {
  if (!s.drawing || s.onBackdrop || !MadeBackdrop(s)) return false;
  SwapWithBackdrop(s);
  return true;
}

void EndDrawingBackdrop(Surface& s) {
  if (s.onBackdrop) SwapWithBackdrop(s);
}

void RestoreBackdrop(Surface& s, PixelArea area) {
  if (s.backdrop == nullptr) return;
  cairo_surface_flush(s.pixels);
  cairo_surface_flush(s.backdrop);
  PutBackdropBack(s, cairo_image_surface_get_data(s.pixels), cairo_image_surface_get_data(s.backdrop),
                  cairo_image_surface_get_stride(s.pixels), area);
  cairo_surface_mark_dirty(s.pixels);
}

int SurfaceWidth(const Surface& s) { return s.width; }
int SurfaceHeight(const Surface& s) { return s.height; }
bool IsDrawing(const Surface& s) { return s.drawing; }
bool HasBackdrop(const Surface& s) { return s.backdropDrawn; }
void StartDrawnArea(Surface& s) { s.drawn = {}; }
PixelArea DrawnArea(const Surface& s) { return s.drawn; }

void SetPresent(Surface& s, std::function<void(int x, int y, int width, int height)> present) {
  s.present = std::move(present);
}

PixelView SurfacePixels(Surface& s) {
  cairo_surface_flush(s.pixels);  // Cairo's own drawing lands first
  return {cairo_image_surface_get_data(s.pixels), s.width * s.scale, s.height * s.scale,
          cairo_image_surface_get_stride(s.pixels), s.scale};
}

uint32_t SurfacePixel(Surface& s, int x, int y) {
  const PixelView view = SurfacePixels(s);
  const size_t row = size_t(y) * size_t(view.scale), column = size_t(x) * size_t(view.scale);
  return reinterpret_cast<const uint32_t*>(view.data + row * size_t(view.stride))[column] & 0xFFFFFF;
}

void SetRecording(Surface& s, std::vector<DrawOp>* ops) { s.recording = ops; }

void EndDrawing(Surface& s) {
  if (!s.drawing) return;
  EndDrawingBackdrop(s);
  s.drawing = false;
  cairo_surface_flush(s.pixels);
  PresentChangedRows(s, cairo_image_surface_get_data(s.pixels), cairo_image_surface_get_stride(s.pixels));
}

void SetDrawMode(Surface& s, DrawMode mode) { s.mode = mode; }

void FillBox(Surface& s, float x, float y, float w, float h, Colour colour) {
  const int ix = RoundPixel(x), iy = RoundPixel(y), iw = RoundPixel(w), ih = RoundPixel(h);
  Record(s, DrawOp::Kind::Box, colour, ix, iy, iw, ih);
  if (iw == 0 || ih == 0) return;
  Touch(s, ix, iy, iw, ih);
  SetSource(s, colour);
  cairo_rectangle(s.cr, ix, iy, iw, ih);
  cairo_fill(s.cr);
}

void FillRoundedBox(Surface& s, float x, float y, float w, float h, float rx, float ry, Colour colour) {
  const auto [ix, iy, iw, ih, irx, iry] = RoundedBoxInPixels(x, y, w, h, rx, ry);
  Record(s, DrawOp::Kind::RoundedBox, colour, ix, iy, iw, ih, irx, iry);
  if (iw == 0 || ih == 0) return;
  Touch(s, ix, iy, iw, ih);
  SetSource(s, colour);
  if (irx == 0 || iry == 0) {
    cairo_rectangle(s.cr, ix, iy, iw, ih);
  } else {
    // Each corner is a quarter of an ellipse: draw unit circles in a scaled frame.
    cairo_new_path(s.cr);
    const double corners[4][3] = {{ix + iw - double(irx), iy + double(iry), -M_PI / 2},
                                  {ix + iw - double(irx), iy + ih - double(iry), 0},
                                  {ix + double(irx), iy + ih - double(iry), M_PI / 2},
                                  {ix + double(irx), iy + double(iry), M_PI}};
    for (const auto& c : corners) {
      cairo_save(s.cr);
      cairo_translate(s.cr, c[0], c[1]);
      cairo_scale(s.cr, irx, iry);
      cairo_arc(s.cr, 0, 0, 1, c[2], c[2] + M_PI / 2);
      cairo_restore(s.cr);
    }
    cairo_close_path(s.cr);
  }
  cairo_fill(s.cr);
}

void FillCircle(Surface& s, float cx, float cy, float radius, Colour colour) {
  const int icx = RoundPixel(cx), icy = RoundPixel(cy), ir = RoundPixel(radius);
  Record(s, DrawOp::Kind::Circle, colour, icx, icy, ir, 0);
  if (ir <= 0) return;
  Touch(s, icx - ir, icy - ir, 2 * ir, 2 * ir);
  SetSource(s, colour);
  cairo_new_path(s.cr);
  cairo_arc(s.cr, icx, icy, ir, 0, 2 * M_PI);
  cairo_fill(s.cr);
}

void DrawLine(Surface& s, float x1, float y1, float x2, float y2, Colour colour) {
  const int ix1 = RoundPixel(x1), iy1 = RoundPixel(y1), ix2 = RoundPixel(x2), iy2 = RoundPixel(y2);
  Record(s, DrawOp::Kind::Line, colour, ix1, iy1, ix2, iy2);
  PlotLineOnCairo(s, ix1, iy1, ix2, iy2, colour);
}

void DrawPicture(Surface& s, const Picture& picture, float x, float y) {
  DrawPictureStretched(s, picture, x, y, float(picture.width), float(picture.height));
  if (s.recording && !s.recording->empty()) s.recording->back().kind = DrawOp::Kind::Picture;
}

void DrawPictureStretched(Surface& s, const Picture& picture, float x, float y, float w, float h) {
  const int ix = RoundPixel(x), iy = RoundPixel(y), iw = RoundPixel(w), ih = RoundPixel(h);
  Record(s, DrawOp::Kind::PictureStretched, 0, ix, iy, iw, ih);
  const int sw = picture.width, sh = picture.height;
  if (iw <= 0 || ih <= 0 || sw <= 0 || sh <= 0) return;
  Touch(s, ix, iy, iw, ih);
  cairo_surface_t* source = WrapPictureToDraw(picture);
  cairo_save(s.cr);
  cairo_rectangle(s.cr, ix, iy, iw, ih);
  cairo_clip(s.cr);
  cairo_translate(s.cr, ix, iy);
  if (iw != sw || ih != sh) cairo_scale(s.cr, double(iw) / sw, double(ih) / sh);
  cairo_set_source_surface(s.cr, source, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(s.cr), iw == sw && ih == sh ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  cairo_paint(s.cr);
  cairo_restore(s.cr);
  cairo_surface_destroy(source);
}
