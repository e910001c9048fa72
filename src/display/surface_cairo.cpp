// The surface, its shapes and pictures, drawn with Cairo.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "display/cairo_surface.h"
#include "os/log.h"

namespace {

constexpr double kDpi = 96.0;  // so that font sizes in points map to pixels as on the reference screen

// Floor of a / b for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Writes one device pixel of the picture: replaced, or blended by alpha.
void PutDevicePixel(uint8_t* data, int stride, int x, int y, Colour c, uint8_t alpha) {
  auto* pixel = reinterpret_cast<uint32_t*>(data + y * stride) + x;
  uint32_t channels[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
  if (alpha != 255) {
    const uint32_t old[3] = {(*pixel >> 16) & 0xFF, (*pixel >> 8) & 0xFF, *pixel & 0xFF};
    for (int i = 0; i < 3; ++i) channels[i] = (channels[i] * alpha + old[i] * (255u - alpha) + 127) / 255;
  }
  *pixel = 0xFF000000u | (channels[0] << 16) | (channels[1] << 8) | channels[2];
}

// Writes one surface pixel: `scale` by `scale` device pixels.
void PutPixel(uint8_t* data, int stride, int scale, int x, int y, Colour c, uint8_t alpha) {
  for (int dy = 0; dy < scale; ++dy) {
    for (int dx = 0; dx < scale; ++dx) PutDevicePixel(data, stride, x * scale + dx, y * scale + dy, c, alpha);
  }
}

// One pixel per step along the longer axis, the other coordinate rounded to
// the nearest pixel; only the part on the picture is walked, so far-away ends
// cost nothing.
void PlotLine(Surface& s, int x1, int y1, int x2, int y2, Colour colour) {
  cairo_surface_flush(s.pixels);  // Cairo's own drawing lands first
  uint8_t* data = cairo_image_surface_get_data(s.pixels);
  if (data == nullptr) return;
  const int stride = cairo_image_surface_get_stride(s.pixels);
  const uint8_t alpha = s.mode == DrawMode::AlphaBlend ? AlphaOf(colour) : 255;
  const bool steep = std::abs(int64_t(y2) - y1) > std::abs(int64_t(x2) - x1);
  // Walk along a (x when shallow, y when steep), b follows.
  int64_t a1 = steep ? y1 : x1, b1 = steep ? x1 : y1, a2 = steep ? y2 : x2, b2 = steep ? x2 : y2;
  if (a2 < a1) std::swap(a1, a2), std::swap(b1, b2);
  const int64_t da = a2 - a1, db = b2 - b1;
  const int64_t aLimit = (steep ? s.height : s.width) - 1, bLimit = (steep ? s.width : s.height) - 1;
  for (int64_t a = std::max<int64_t>(a1, 0); a <= std::min(a2, aLimit); ++a) {
    const int64_t b = da == 0 ? b1 : b1 + FloorDiv((a - a1) * 2 * db + da, 2 * da);
    if (b < 0 || b > bLimit) continue;
    PutPixel(data, stride, s.scale, int(steep ? b : a), int(steep ? a : b), colour, alpha);
  }
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

void Record(Surface& s, DrawOp::Kind kind, Colour colour, int x, int y, int w, int h, int rx, int ry) {
  if (s.recording == nullptr) return;
  DrawOp op;
  op.kind = kind;
  op.mode = s.mode;
  op.colour = colour;
  op.x = x, op.y = y, op.w = w, op.h = h, op.rx = rx, op.ry = ry;
  s.recording->push_back(std::move(op));
}

void Touch(Surface& s, int x, int y, int w, int h) {
  if (s.onBackdrop) return;  // the picture is what is compared and shown
  if (!s.drawing) {
    s.touchedWhileClosed = true;  // the next closing compares the whole picture
    return;
  }
  if (w < 0) x += w, w = -w;
  if (h < 0) y += h, h = -h;
  const int left = std::max(x, 0), top = std::max(y, 0);
  const int right = int(std::min<int64_t>(int64_t(x) + w, s.width));
  const int bottom = int(std::min<int64_t>(int64_t(y) + h, s.height));
  if (right <= left || bottom <= top) return;
  if (s.drawnRight <= s.drawnLeft) {
    s.drawnLeft = left, s.drawnTop = top, s.drawnRight = right, s.drawnBottom = bottom;
  } else {
    s.drawnLeft = std::min(s.drawnLeft, left), s.drawnTop = std::min(s.drawnTop, top);
    s.drawnRight = std::max(s.drawnRight, right), s.drawnBottom = std::max(s.drawnBottom, bottom);
  }
  for (int band = top / kPresentBandRows; band <= (bottom - 1) / kPresentBandRows; ++band) {
    auto& [first, last] = s.touchedColumns[size_t(band)];
    if (last <= first) {
      first = left, last = right;
    } else {
      first = std::min(first, left), last = std::max(last, right);
    }
  }
}

void StartDrawnArea(Surface& s) { s.drawnLeft = s.drawnTop = s.drawnRight = s.drawnBottom = 0; }

PixelArea DrawnArea(const Surface& s) {
  if (s.drawnRight <= s.drawnLeft) return {};
  return {s.drawnLeft, s.drawnTop, s.drawnRight - s.drawnLeft, s.drawnBottom - s.drawnTop};
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

int RoundPixel(float value) {
  if (!std::isfinite(value)) return 0;
  // lrint follows the current rounding mode, which is to-nearest-even.
  const double clamped = std::fmax(-1e9, std::fmin(1e9, double(value)));
  return int(std::lrint(clamped));
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
  s.touchedColumns.assign(size_t((s.height + kPresentBandRows - 1) / kPresentBandRows),
                          s.touchedWhileClosed ? std::pair{0, s.width} : std::pair{0, 0});
  s.touchedWhileClosed = false;
  StartDrawnArea(s);
  return true;
}

bool BeginDrawingBackdrop(Surface& s) {
  if (!s.drawing || s.onBackdrop) return false;
  if (s.backdrop == nullptr) {
    s.backdrop = NewPicture(s.width, s.height, s.scale);
    if (s.backdrop == nullptr) return false;
    s.backdropCr = cairo_create(s.backdrop);
  }
  if (cairo_status(s.backdropCr) != CAIRO_STATUS_SUCCESS) return false;
  cairo_surface_flush(s.pixels);
  s.beforeBackdrop = {s.mode, s.font, s.recording};
  std::swap(s.pixels, s.backdrop);
  std::swap(s.cr, s.backdropCr);
  s.onBackdrop = true;
  s.mode = DrawMode::Opaque;
  s.recording = nullptr;
  return true;
}

void EndDrawingBackdrop(Surface& s) {
  if (!s.onBackdrop) return;
  cairo_surface_flush(s.pixels);
  std::swap(s.pixels, s.backdrop);
  std::swap(s.cr, s.backdropCr);
  s.onBackdrop = false;
  s.backdropDrawn = true;
  s.mode = s.beforeBackdrop.mode;
  s.font = s.beforeBackdrop.font;
  s.recording = s.beforeBackdrop.recording;
}

bool HasBackdrop(const Surface& s) { return s.backdropDrawn && s.wantedScale == s.scale; }

void RestoreBackdrop(Surface& s, PixelArea area) {
  if (!s.drawing || s.onBackdrop || !s.backdropDrawn) return;
  const int left = std::max(area.x, 0), top = std::max(area.y, 0);
  const int right = int(std::min<int64_t>(int64_t(area.x) + std::max(area.width, 0), s.width));
  const int bottom = int(std::min<int64_t>(int64_t(area.y) + std::max(area.height, 0), s.height));
  if (right <= left || bottom <= top) return;
  cairo_surface_flush(s.pixels);
  cairo_surface_flush(s.backdrop);
  uint8_t* to = cairo_image_surface_get_data(s.pixels);
  const uint8_t* from = cairo_image_surface_get_data(s.backdrop);
  if (to == nullptr || from == nullptr) return;
  const size_t stride = size_t(cairo_image_surface_get_stride(s.pixels));
  const size_t offset = size_t(left) * size_t(s.scale) * 4, bytes = size_t(right - left) * size_t(s.scale) * 4;
  for (size_t y = size_t(top) * size_t(s.scale); y < size_t(bottom) * size_t(s.scale); ++y) {
    std::memcpy(to + y * stride + offset, from + y * stride + offset, bytes);
  }
  cairo_surface_mark_dirty(s.pixels);
  Touch(s, left, top, right - left, bottom - top);
}

int SurfaceWidth(const Surface& s) { return s.width; }
int SurfaceHeight(const Surface& s) { return s.height; }
bool IsDrawing(const Surface& s) { return s.drawing; }

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
  if (!s.present) return;
  const unsigned char* data = cairo_image_surface_get_data(s.pixels);
  const int deviceWidth = s.width * s.scale, deviceHeight = s.height * s.scale;
  const size_t size = size_t(cairo_image_surface_get_stride(s.pixels)) * size_t(deviceHeight);
  if (data == nullptr) return;
  if (s.presented.size() != size) {
    s.presented.assign(data, data + size);  // the first picture: shown whole
    s.present(0, 0, s.width, s.height);
    return;
  }
  // Bands of a few rows: each band shows the columns that changed in it.
  // Compared in device pixels, shown in whole surface pixels. Only the
  // columns that drawing touched in a band can differ from what was shown.
  const size_t stride = size_t(cairo_image_surface_get_stride(s.pixels));
  for (int top = 0; top < s.height; top += kPresentBandRows) {
    const auto [touchedFirst, touchedLast] = s.touchedColumns[size_t(top / kPresentBandRows)];
    if (touchedLast <= touchedFirst) continue;
    const int rows = std::min(kPresentBandRows, s.height - top);
    const int first = touchedFirst * s.scale, count = (touchedLast - touchedFirst) * s.scale;
    int left = deviceWidth, right = -1;
    for (int y = top * s.scale; y < (top + rows) * s.scale; ++y) {
      const auto* now = reinterpret_cast<const uint32_t*>(data + y * stride) + first;
      auto* shown = reinterpret_cast<uint32_t*>(s.presented.data() + y * stride) + first;
      if (std::memcmp(now, shown, size_t(count) * 4) == 0) continue;
      int l = 0, r = count - 1;
      while (now[l] == shown[l]) ++l;
      while (now[r] == shown[r]) --r;
      left = std::min(left, first + l);
      right = std::max(right, first + r);
      std::memcpy(shown + l, now + l, size_t(r - l + 1) * 4);
    }
    if (right >= left) s.present(left / s.scale, top, right / s.scale - left / s.scale + 1, rows);
  }
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
  int ix = RoundPixel(x), iy = RoundPixel(y), iw = RoundPixel(w), ih = RoundPixel(h);
  int irx = RoundPixel(rx), iry = RoundPixel(ry);
  if (iw < 0) ix += iw, iw = -iw;
  if (ih < 0) iy += ih, ih = -ih;
  if (irx < 0) irx = 0;
  if (iry < 0) iry = 0;
  if (2 * irx > iw) irx = iw / 2;
  if (2 * iry > ih) iry = ih / 2;
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
  // Both ends included. RoundPixel keeps coordinates within ±1e9, so the sizes fit.
  Touch(s, std::min(ix1, ix2), std::min(iy1, iy2), std::abs(ix2 - ix1) + 1, std::abs(iy2 - iy1) + 1);
  PlotLine(s, ix1, iy1, ix2, iy2, colour);
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
