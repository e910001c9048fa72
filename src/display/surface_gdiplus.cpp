// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing backend's pictures and shapes drawn with GDI+, into the
// player's own pixels. GDI+ draws what has curves (rounded boxes, discs),
// resamples pictures and draws text; boxes and pictures at their own size
// are left to the front, which writes them exact to the last bit whatever
// GDI+ does with edges.
#include <algorithm>

#include "display/gdiplus_surface.h"
#include "display/surface.h"
#include "os/log.h"

using namespace Gdiplus;

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

Color GdiplusColour(Colour c) { return Color(AlphaOf(c), RedOf(c), GreenOf(c), BlueOf(c)); }

// Premultiplied pixels, opaque black as a new Cairo picture is, with a
// bitmap over them and a graphics drawing on it the way every drawing here
// expects; nullptr when any of them cannot be had. At a scale other than 1
// the graphics' world transform takes surface pixels to device pixels: text,
// curves and resampled pictures are drawn at the display's resolution, not
// drawn small and stretched.
BackendPicture* CreateGdiplusPicture(int width, int height, float scale) {
  if (!StartGdiplus()) return nullptr;
  auto picture = std::make_unique<BackendPicture>();
  picture->pixels = CreateImage(DevicePixels(width, scale), DevicePixels(height, scale));
  if (picture->pixels == nullptr) {
    LogDiagnostic("cannot make a %dx%d drawing surface at scale %g", width, height, double(scale));
    return nullptr;
  }
  std::fill(picture->pixels->pixels.begin(), picture->pixels->pixels.end(), 0xFF000000u);
  picture->bitmap = WrapPicture(*picture->pixels);
  if (picture->bitmap != nullptr) picture->graphics.reset(Graphics::FromImage(picture->bitmap.get()));
  if (picture->graphics == nullptr || picture->graphics->GetLastStatus() != Ok) {
    LogDiagnostic("GDI+ cannot draw on a %dx%d surface", width, height);
    return nullptr;
  }
  Graphics& g = *picture->graphics;
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
  if (scale != 1) g.ScaleTransform(scale, scale);
  return picture.release();
}

namespace {

void DestroyPicture(BackendPicture* picture) { delete picture; }

PictureMemory Memory(BackendPicture* picture) {
  // GDI+ may hold drawing back; it must land before the pixels are read or written.
  picture->graphics->Flush(FlushIntentionSync);
  return {picture->pixels->Bytes(), picture->pixels->stride};
}

void FillRoundedBox(BackendPicture* picture, int x, int y, int w, int h, int rx, int ry, Colour colour) {
  // Each corner is a quarter of the ellipse of radii rx, ry.
  const REAL left = REAL(x), top = REAL(y), dx = REAL(2 * rx), dy = REAL(2 * ry);
  const REAL right = REAL(x + w) - dx, bottom = REAL(y + h) - dy;
  GraphicsPath path;
  path.AddArc(right, top, dx, dy, 270, 90);
  path.AddArc(right, bottom, dx, dy, 0, 90);
  path.AddArc(left, bottom, dx, dy, 90, 90);
  path.AddArc(left, top, dx, dy, 180, 90);
  path.CloseFigure();
  SolidBrush brush(GdiplusColour(colour));
  picture->graphics->FillPath(&brush, &path);
}

void FillCircle(BackendPicture* picture, int cx, int cy, int radius, Colour colour) {
  SolidBrush brush(GdiplusColour(colour));
  picture->graphics->FillEllipse(&brush, REAL(cx - radius), REAL(cy - radius), REAL(2 * radius), REAL(2 * radius));
}

void DrawPictureStretched(BackendPicture* picture, const Picture& source, int x, int y, int w, int h) {
  const std::unique_ptr<Bitmap> wrapped = WrapPicture(source);
  if (wrapped == nullptr) return;
  // Edge pixels repeat outwards, so that the picture's border does not fade
  // into whatever lies beyond it when it is resampled.
  ImageAttributes edges;
  edges.SetWrapMode(WrapModeTileFlipXY);
  picture->graphics->DrawImage(wrapped.get(), Rect(x, y, w, h), 0, 0, source.width, source.height, UnitPixel,
                               &edges);
}

}  // namespace

const SurfaceBackend& DrawingBackend() {
  static const SurfaceBackend kGdiplus = {
      .maxScale = kMaxSurfaceScale,
      .curveMarginPx = 1,  // smoothed edges may shade a pixel just beyond the box
      .createPicture = CreateGdiplusPicture,
      .destroyPicture = DestroyPicture,
      // A picture can always be drawn on, and the memory is the bitmap's own:
      // no canDraw, no memoryWritten. Boxes and pictures at their own size
      // are left to the front: no fillBox, no drawPicture.
      .memory = Memory,
      .fillRoundedBox = FillRoundedBox,
      .fillCircle = FillCircle,
      .drawPictureStretched = DrawPictureStretched,
      .text = GdiplusText(),
  };
  return kGdiplus;
}
