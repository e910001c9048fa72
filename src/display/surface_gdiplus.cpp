// SPDX-License-Identifier: GPL-3.0-or-later
// The surface, its shapes and pictures, drawn with GDI+ into the player's
// own pixels. Boxes, lines and pictures at their own size are written
// straight into those pixels, exact to the last bit whatever GDI+ does with
// edges; GDI+ draws what has curves (rounded boxes, circles), stretches
// pictures and draws text.
#include <algorithm>
#include <cstring>

#include "display/gdiplus_surface.h"
#include "os/log.h"

using namespace Gdiplus;

namespace {

// GDI+ may hold drawing back; it must land before the pixels are read or
// written directly.
void Settle(Surface& s) { s.graphics->Flush(FlushIntentionSync); }

// GDI+ smooths the edges of curves and of stretched pictures, and may shade
// a pixel just beyond the box they were drawn in.
constexpr int kSmoothingMargin = 1;

void TouchSmoothed(Surface& s, int x, int y, int w, int h) {
  Touch(s, x - kSmoothingMargin, y - kSmoothingMargin, w + 2 * kSmoothingMargin, h + 2 * kSmoothingMargin);
}

uint8_t* Pixels(Surface& s) { return s.pixels->Bytes(); }

// A picture drawn at its own size: copied when it is opaque, else its
// premultiplied pixels laid over the surface.
void CopyPicture(Surface& s, const Picture& picture, int x, int y) {
  Touch(s, x, y, picture.width, picture.height);
  const int left = std::max(x, 0), top = std::max(y, 0);
  const int right = int(std::min<int64_t>(int64_t(x) + picture.width, s.width));
  const int bottom = int(std::min<int64_t>(int64_t(y) + picture.height, s.height));
  for (int row = top; row < bottom; ++row) {
    const uint32_t* from = picture.Row(row - y) + (left - x);
    uint32_t* to = s.pixels->Row(row) + left;
    if (picture.opaque) {
      std::memcpy(to, from, size_t(right - left) * 4);
      continue;
    }
    for (int i = 0; i < right - left; ++i) {
      const uint32_t p = from[i], under = to[i], keep = 255 - (p >> 24);
      uint32_t out = 0xFF000000u;
      for (int shift : {0, 8, 16}) {
        const uint32_t channel = ((p >> shift) & 0xFF) + (((under >> shift) & 0xFF) * keep + 127) / 255;
        out |= std::min<uint32_t>(channel, 255) << shift;
      }
      to[i] = out;
    }
  }
}

}  // namespace

bool StartGdiplus() {
  static const bool started = [] {
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    const Status status = GdiplusStartup(&token, &input, nullptr);
    if (status != Ok) LogDiagnostic("GDI+ does not start: status %d", int(status));
    return status == Ok;
  }();
  return started;
}

std::unique_ptr<Bitmap> WrapPicture(const Picture& picture) {
  // GDI+ only reads a bitmap it draws from.
  auto* data = const_cast<BYTE*>(reinterpret_cast<const BYTE*>(picture.pixels.data()));
  auto bitmap = std::make_unique<Bitmap>(picture.width, picture.height, picture.stride, PixelFormat32bppPARGB, data);
  if (bitmap->GetLastStatus() != Ok) return nullptr;
  return bitmap;
}

Color FillColour(const Surface& s, Colour c) {
  const BYTE alpha = s.mode == DrawMode::AlphaBlend ? AlphaOf(c) : 255;
  return Color(alpha, RedOf(c), GreenOf(c), BlueOf(c));
}

namespace {

// Premultiplied pixels of width by height, opaque black as a new Cairo
// picture is, with a bitmap over them and a graphics drawing on it the way
// every drawing here expects; false, with none of them, when any cannot be had.
bool NewPicture(int width, int height, ::Image& pixels, std::unique_ptr<Bitmap>& bitmap,
                std::unique_ptr<Graphics>& graphics) {
  pixels = CreateImage(width, height);
  if (pixels == nullptr) {
    LogDiagnostic("cannot make a %dx%d drawing surface", width, height);
    return false;
  }
  std::fill(pixels->pixels.begin(), pixels->pixels.end(), 0xFF000000u);
  bitmap = WrapPicture(*pixels);
  if (bitmap != nullptr) graphics.reset(Graphics::FromImage(bitmap.get()));
  if (graphics == nullptr || graphics->GetLastStatus() != Ok) {
    LogDiagnostic("GDI+ cannot draw on a %dx%d surface", width, height);
    graphics.reset();  // before the bitmap before the pixels
    bitmap.reset();
    pixels = nullptr;
    return false;
  }
  Graphics& g = *graphics;
  // Pixel (x, y) covers the square from (x, y) to (x + 1, y + 1), as in the
  // layout's coordinates; edges of curves are smoothed.
  g.SetPixelOffsetMode(PixelOffsetModeHalf);
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  g.SetCompositingMode(CompositingModeSourceOver);
  g.SetInterpolationMode(InterpolationModeHighQualityBilinear);
  // Grey-scale smoothing: sub-pixel text would carry colour fringes into a
  // picture that may be shown anywhere.
  g.SetTextRenderingHint(TextRenderingHintAntiAlias);
  g.SetPageUnit(UnitPixel);
  return true;
}

}  // namespace

Surface* CreateSurface(int width, int height) {
  if (!StartGdiplus()) return nullptr;
  auto s = std::make_unique<Surface>();
  s->width = width;
  s->height = height;
  if (!NewPicture(width, height, s->pixels, s->bitmap, s->graphics)) return nullptr;
  return s.release();
}

void DestroySurface(Surface*& s) {
  if (s == nullptr) return;
  ReleaseTextObjects(*s);
  delete s;  // the graphics before the bitmap before the pixels: members go in reverse order
  s = nullptr;
}

bool BeginDrawing(Surface& s) {
  if (s.graphics == nullptr) return false;
  s.drawing = true;
  s.mode = DrawMode::Opaque;
  StartTouching(s);
  return true;
}

namespace {

// The picture and the backdrop change places, each with its bitmap and graphics.
void SwapWithBackdrop(Surface& s) {
  Settle(s);
  std::swap(s.pixels, s.backdrop);
  std::swap(s.bitmap, s.backdropBitmap);
  std::swap(s.graphics, s.backdropGraphics);
  ChangePlacesWithBackdrop(s);
}

}  // namespace

bool BeginDrawingBackdrop(Surface& s) {
  if (!s.drawing || s.onBackdrop) return false;
  if (s.backdrop == nullptr && !NewPicture(s.width, s.height, s.backdrop, s.backdropBitmap, s.backdropGraphics)) {
    return false;
  }
  SwapWithBackdrop(s);
  return true;
}

void EndDrawingBackdrop(Surface& s) {
  if (s.onBackdrop) SwapWithBackdrop(s);
}

void RestoreBackdrop(Surface& s, PixelArea area) {
  if (s.backdrop == nullptr) return;
  Settle(s);
  PutBackdropBack(s, Pixels(s), s.backdrop->Bytes(), s.pixels->stride, area);
}

// The Win32 shell keeps the window's client area in device pixels and asks
// for no scale: this backend draws at scale 1 and only remembers the wish.
void SetSurfaceScale(Surface& s, int scale) { s.wantedScale = std::clamp(scale, 1, kMaxSurfaceScale); }
int SurfaceScale(const Surface&) { return 1; }

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
  Settle(s);
  return {Pixels(s), s.width, s.height, s.pixels->stride, 1};
}

uint32_t SurfacePixel(Surface& s, int x, int y) {
  Settle(s);
  return s.pixels->Row(y)[x] & 0xFFFFFF;
}

void SetRecording(Surface& s, std::vector<DrawOp>* ops) { s.recording = ops; }

void EndDrawing(Surface& s) {
  if (!s.drawing) return;
  EndDrawingBackdrop(s);
  s.drawing = false;
  Settle(s);
  PresentChangedRows(s, Pixels(s), s.pixels->stride);
}

void SetDrawMode(Surface& s, DrawMode mode) { s.mode = mode; }

void FillBox(Surface& s, float x, float y, float w, float h, Colour colour) {
  const int ix = RoundPixel(x), iy = RoundPixel(y), iw = RoundPixel(w), ih = RoundPixel(h);
  Record(s, DrawOp::Kind::Box, colour, ix, iy, iw, ih);
  Settle(s);
  FillPixelBox(s, Pixels(s), s.pixels->stride, ix, iy, iw, ih, colour);
}

void FillRoundedBox(Surface& s, float x, float y, float w, float h, float rx, float ry, Colour colour) {
  const auto [ix, iy, iw, ih, irx, iry] = RoundedBoxInPixels(x, y, w, h, rx, ry);
  Record(s, DrawOp::Kind::RoundedBox, colour, ix, iy, iw, ih, irx, iry);
  if (iw == 0 || ih == 0) return;
  if (irx == 0 || iry == 0) {
    Settle(s);
    FillPixelBox(s, Pixels(s), s.pixels->stride, ix, iy, iw, ih, colour);
    return;
  }
  // Each corner is a quarter of the ellipse of radii rx, ry.
  const REAL left = REAL(ix), top = REAL(iy), dx = REAL(2 * irx), dy = REAL(2 * iry);
  const REAL right = REAL(ix + iw) - dx, bottom = REAL(iy + ih) - dy;
  GraphicsPath path;
  path.AddArc(right, top, dx, dy, 270, 90);
  path.AddArc(right, bottom, dx, dy, 0, 90);
  path.AddArc(left, bottom, dx, dy, 90, 90);
  path.AddArc(left, top, dx, dy, 180, 90);
  path.CloseFigure();
  TouchSmoothed(s, ix, iy, iw, ih);
  SolidBrush brush(FillColour(s, colour));
  s.graphics->FillPath(&brush, &path);
}

void FillCircle(Surface& s, float cx, float cy, float radius, Colour colour) {
  const int icx = RoundPixel(cx), icy = RoundPixel(cy), ir = RoundPixel(radius);
  Record(s, DrawOp::Kind::Circle, colour, icx, icy, ir, 0);
  if (ir <= 0) return;
  TouchSmoothed(s, icx - ir, icy - ir, 2 * ir, 2 * ir);
  SolidBrush brush(FillColour(s, colour));
  s.graphics->FillEllipse(&brush, REAL(icx - ir), REAL(icy - ir), REAL(2 * ir), REAL(2 * ir));
}

void DrawLine(Surface& s, float x1, float y1, float x2, float y2, Colour colour) {
  const int ix1 = RoundPixel(x1), iy1 = RoundPixel(y1), ix2 = RoundPixel(x2), iy2 = RoundPixel(y2);
  Record(s, DrawOp::Kind::Line, colour, ix1, iy1, ix2, iy2);
  Settle(s);
  PlotLine(s, Pixels(s), s.pixels->stride, ix1, iy1, ix2, iy2, colour);
}

void DrawPicture(Surface& s, const Picture& picture, float x, float y) {
  const int ix = RoundPixel(x), iy = RoundPixel(y);
  Record(s, DrawOp::Kind::Picture, 0, ix, iy, picture.width, picture.height);
  if (picture.width <= 0 || picture.height <= 0) return;
  Settle(s);
  CopyPicture(s, picture, ix, iy);
}

void DrawPictureStretched(Surface& s, const Picture& picture, float x, float y, float w, float h) {
  const int ix = RoundPixel(x), iy = RoundPixel(y), iw = RoundPixel(w), ih = RoundPixel(h);
  Record(s, DrawOp::Kind::PictureStretched, 0, ix, iy, iw, ih);
  const int sw = picture.width, sh = picture.height;
  if (iw <= 0 || ih <= 0 || sw <= 0 || sh <= 0) return;
  if (iw == sw && ih == sh) {
    Settle(s);
    CopyPicture(s, picture, ix, iy);
    return;
  }
  const std::unique_ptr<Bitmap> source = WrapPicture(picture);
  if (source == nullptr) return;
  // Edge pixels repeat outwards, so that the picture's border does not fade
  // into whatever lies beyond it when it is resampled.
  ImageAttributes edges;
  edges.SetWrapMode(WrapModeTileFlipXY);
  TouchSmoothed(s, ix, iy, iw, ih);
  s.graphics->DrawImage(source.get(), Rect(ix, iy, iw, ih), 0, 0, sw, sh, UnitPixel, &edges);
}
