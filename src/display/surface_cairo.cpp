// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing backend's pictures, shapes and pictures drawn with Cairo. Every
// entry of the table is set: Cairo fills boxes and copies pictures itself.
#include <cmath>

#include "display/cairo_surface.h"
#include "display/surface.h"
#include "os/log.h"

void SetSource(cairo_t* cr, Colour c) {
  cairo_set_source_rgba(cr, RedOf(c) / 255.0, GreenOf(c) / 255.0, BlueOf(c) / 255.0, AlphaOf(c) / 255.0);
}

cairo_surface_t* WrapPicture(const Picture& picture) {
  // Cairo only reads a surface it draws from.
  auto* data = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(picture.pixels.data()));
  return cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, picture.width, picture.height,
                                             picture.stride);
}

namespace {

// The picture to draw: an opaque one is wrapped without alpha, and Cairo
// then copies it where it would blend it: the same pixels, at a fraction of
// the cost (the gradient on every frame).
cairo_surface_t* WrapPictureToDraw(const Picture& picture) {
  if (!picture.opaque) return WrapPicture(picture);
  auto* data = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(picture.pixels.data()));
  return cairo_image_surface_create_for_data(data, CAIRO_FORMAT_RGB24, picture.width, picture.height,
                                             picture.stride);
}

BackendPicture* CreatePicture(int width, int height, float scale) {
  cairo_surface_t* pixels =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, DevicePixels(width, scale), DevicePixels(height, scale));
  if (cairo_surface_status(pixels) != CAIRO_STATUS_SUCCESS) {
    LogDiagnostic("cannot make a %dx%d drawing surface at scale %g: %s", width, height, double(scale),
                  cairo_status_to_string(cairo_surface_status(pixels)));
    cairo_surface_destroy(pixels);
    return nullptr;
  }
  // Cairo then takes every coordinate in surface pixels and draws at device resolution.
  cairo_surface_set_device_scale(pixels, scale, scale);
  return new BackendPicture{pixels, cairo_create(pixels)};
}

void DestroyPicture(BackendPicture* picture) {
  cairo_destroy(picture->cr);
  cairo_surface_destroy(picture->pixels);
  delete picture;
}

bool CanDraw(BackendPicture* picture) { return cairo_status(picture->cr) == CAIRO_STATUS_SUCCESS; }

PictureMemory Memory(BackendPicture* picture) {
  cairo_surface_flush(picture->pixels);  // Cairo's own drawing lands first
  return {cairo_image_surface_get_data(picture->pixels), cairo_image_surface_get_stride(picture->pixels)};
}

void MemoryWritten(BackendPicture* picture) { cairo_surface_mark_dirty(picture->pixels); }

void FillBox(BackendPicture* picture, int x, int y, int w, int h, Colour colour) {
  SetSource(picture->cr, colour);
  cairo_rectangle(picture->cr, x, y, w, h);
  cairo_fill(picture->cr);
}

void FillRoundedBox(BackendPicture* picture, int x, int y, int w, int h, int rx, int ry, Colour colour) {
  cairo_t* cr = picture->cr;
  SetSource(cr, colour);
  // Each corner is a quarter of an ellipse: draw unit circles in a scaled frame.
  cairo_new_path(cr);
  const double corners[4][3] = {{x + w - double(rx), y + double(ry), -M_PI / 2},
                                {x + w - double(rx), y + h - double(ry), 0},
                                {x + double(rx), y + h - double(ry), M_PI / 2},
                                {x + double(rx), y + double(ry), M_PI}};
  for (const auto& c : corners) {
    cairo_save(cr);
    cairo_translate(cr, c[0], c[1]);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, c[2], c[2] + M_PI / 2);
    cairo_restore(cr);
  }
  cairo_close_path(cr);
  cairo_fill(cr);
}

void FillCircle(BackendPicture* picture, int cx, int cy, int radius, Colour colour) {
  SetSource(picture->cr, colour);
  cairo_new_path(picture->cr);
  cairo_arc(picture->cr, cx, cy, radius, 0, 2 * M_PI);
  cairo_fill(picture->cr);
}

void DrawPictureStretched(BackendPicture* picture, const Picture& source, int x, int y, int w, int h) {
  cairo_t* cr = picture->cr;
  const int sw = source.width, sh = source.height;
  cairo_surface_t* wrapped = WrapPictureToDraw(source);
  cairo_save(cr);
  cairo_rectangle(cr, x, y, w, h);
  cairo_clip(cr);
  cairo_translate(cr, x, y);
  if (w != sw || h != sh) cairo_scale(cr, double(w) / sw, double(h) / sh);
  cairo_set_source_surface(cr, wrapped, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), w == sw && h == sh ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(wrapped);
}

void DrawPicture(BackendPicture* picture, const Picture& source, int x, int y) {
  DrawPictureStretched(picture, source, x, y, source.width, source.height);
}

}  // namespace

const SurfaceBackend& DrawingBackend() {
  static const SurfaceBackend kCairo = {
      .maxScale = kMaxSurfaceScale,
      .curveMarginPx = 0,  // Cairo's smoothing stays inside a shape's box
      .createPicture = CreatePicture,
      .destroyPicture = DestroyPicture,
      .canDraw = CanDraw,
      .memory = Memory,
      .memoryWritten = MemoryWritten,
      .fillBox = FillBox,
      .fillRoundedBox = FillRoundedBox,
      .fillCircle = FillCircle,
      .drawPicture = DrawPicture,
      .drawPictureStretched = DrawPictureStretched,
      .text = PangoText(),
  };
  return kCairo;
}
