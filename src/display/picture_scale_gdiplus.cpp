// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/gdiplus_surface.h"
#include "display/picture_scale.h"

using namespace Gdiplus;

::Image ResizePictureSmooth(const Picture& source, int width, int height) {
  if (source.width <= 0 || source.height <= 0 || !StartGdiplus()) return nullptr;
  ::Image copy = CreateImage(width, height);
  if (copy == nullptr) return nullptr;
  const std::unique_ptr<Bitmap> from = WrapPicture(source);
  const std::unique_ptr<Bitmap> to = WrapPicture(*copy);
  if (from == nullptr || to == nullptr) return nullptr;
  Status status = GenericError;
  {
    Graphics graphics(to.get());
    // Interpolating either way (a box-like prefilter when shrinking); the
    // edge pixels repeat outwards so that the border does not fade.
    graphics.SetCompositingMode(CompositingModeSourceCopy);
    graphics.SetInterpolationMode(InterpolationModeHighQualityBilinear);
    graphics.SetPixelOffsetMode(PixelOffsetModeHalf);
    ImageAttributes edges;
    edges.SetWrapMode(WrapModeTileFlipXY);
    status = graphics.DrawImage(from.get(), Rect(0, 0, width, height), 0, 0, source.width, source.height, UnitPixel,
                                &edges);
    graphics.Flush(FlushIntentionSync);
  }
  if (status != Ok) FreeImage(copy);
  return copy;
}
