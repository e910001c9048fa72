// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/cairo_surface.h"
#include "display/picture_scale.h"

Image ResizePictureSmooth(const Picture& source, int width, int height) {
  if (source.width <= 0 || source.height <= 0) return nullptr;
  Image copy = CreateImage(width, height);
  if (copy == nullptr) return nullptr;
  cairo_surface_t* from = WrapPicture(source);
  cairo_surface_t* to = WrapPicture(*copy);
  cairo_t* cr = cairo_create(to);
  cairo_scale(cr, double(width) / source.width, double(height) / source.height);
  cairo_set_source_surface(cr, from, 0, 0);
  // GOOD is a box filter when shrinking and bilinear when growing: smooth
  // either way. PAD keeps the edge pixels from fading into transparency.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_flush(to);
  cairo_surface_destroy(to);
  cairo_surface_destroy(from);
  if (!ok) FreeImage(copy);
  return copy;
}
