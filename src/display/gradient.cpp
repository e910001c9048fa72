#include "display/gradient.h"

#include <cmath>

namespace {

uint8_t Mix(uint8_t from, uint8_t to, float t) {
  const float value = float(from) + float(int(to) - int(from)) * t;
  return uint8_t(std::lrint(value));  // nearest, ties to even
}

Colour RowColour(int32_t i, int32_t height, Colour top, Colour bottom) {
  // A single row has no bottom end; it takes the top colour.
  const float t = height > 1 ? float(i) / float(height - 1) : 0.0f;
  return Rgb(Mix(RedOf(top), RedOf(bottom), t), Mix(GreenOf(top), GreenOf(bottom), t),
             Mix(BlueOf(top), BlueOf(bottom), t));
}

// The rows drawn once, with the same one-pixel boxes as a direct drawing, into
// a picture of the gradient's own size.
Image BuildGradient(int32_t width, int32_t height, Colour top, Colour bottom) {
  Surface* picture = CreateSurface(width, height);
  if (picture == nullptr) return nullptr;
  BeginDrawing(*picture);
  for (int32_t i = 0; i < height; ++i) FillBox(*picture, 0, float(i), float(width), 1.0f, RowColour(i, height, top, bottom));
  EndDrawing(*picture);
  Image image = cairo_surface_reference(picture->pixels);
  DestroySurface(picture);
  return image;
}

}  // namespace

void DrawVerticalGradient(Surface& s, int32_t x, int32_t y, int32_t width, int32_t height, Colour top, Colour bottom) {
  if (height <= 0) return;
  const DrawMode mode = s.mode;
  SetDrawMode(s, DrawMode::Opaque);
  if (s.recording != nullptr) {
    for (int32_t i = 0; i < height; ++i) {
      DrawOp row;
      row.colour = RowColour(i, height, top, bottom);
      row.x = x, row.y = y + i, row.w = width, row.h = 1;
      s.recording->push_back(row);
    }
  }
  // The same gradient is drawn on every frame: 320 fills become one copy.
  Surface::CachedGradient& cache = s.gradient;
  if (cache.picture == nullptr || cache.width != width || cache.height != height || cache.top != top ||
      cache.bottom != bottom) {
    FreeImage(cache.picture);
    cache = {width, height, top, bottom, BuildGradient(width, height, top, bottom)};
  }
  if (cache.picture != nullptr && width > 0) {
    cairo_set_source_surface(s.cr, cache.picture, x, y);
    cairo_rectangle(s.cr, x, y, width, height);
    cairo_fill(s.cr);
  }
  SetDrawMode(s, mode);
}
