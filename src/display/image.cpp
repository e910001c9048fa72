#include "display/image.h"

Image CreateImage(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return s;
}

void FreeImage(Image& image) {
  if (image != nullptr) {
    cairo_surface_destroy(image);
    image = nullptr;
  }
}

int ImageWidth(Image image) { return image ? cairo_image_surface_get_width(image) : 0; }
int ImageHeight(Image image) { return image ? cairo_image_surface_get_height(image) : 0; }

Image ResizeImageSmooth(Image source, int width, int height) {
  if (source == nullptr || ImageWidth(source) <= 0 || ImageHeight(source) <= 0) return nullptr;
  Image copy = CreateImage(width, height);
  if (copy == nullptr) return nullptr;
  cairo_t* cr = cairo_create(copy);
  cairo_scale(cr, double(width) / ImageWidth(source), double(height) / ImageHeight(source));
  cairo_set_source_surface(cr, source, 0, 0);
  // GOOD is a box filter when shrinking and bilinear when growing: smooth
  // either way. PAD keeps the edge pixels from fading into transparency.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  if (!ok) FreeImage(copy);
  return copy;
}
