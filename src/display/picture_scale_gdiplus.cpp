// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "display/gdiplus_surface.h"
#include "display/picture_scale.h"

using namespace Gdiplus;

namespace {

// A new picture whose each pixel is the average of a block of `across` by
// `down` pixels of `source`, fewer at the right and bottom edges.
::Image AverageBlocks(const Picture& source, int across, int down) {
  if (source.width <= 0 || source.height <= 0 || across <= 0 || down <= 0) return nullptr;
  const int width = (source.width + across - 1) / across, height = (source.height + down - 1) / down;
  ::Image averaged = CreateImage(width, height);
  if (averaged == nullptr) return nullptr;
  // Per block of the row, a sum per channel; a whole picture's would fit in 64 bits.
  std::vector<uint64_t> sums(size_t(width) * 4);
  for (int y = 0; y < height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    const int top = y * down, bottom = std::min(top + down, source.height);
    for (int row = top; row < bottom; ++row) {
      const uint32_t* pixel = source.Row(row);
      for (int x = 0; x < source.width; ++x) {
        uint64_t* sum = &sums[size_t(x / across) * 4];
        for (int channel = 0; channel < 4; ++channel) sum[channel] += pixel[x] >> (8 * channel) & 0xFF;
      }
    }
    uint32_t* out = averaged->Row(y);
    for (int x = 0; x < width; ++x) {
      // Premultiplied channels average as they are; each rounds to the nearest.
      const uint64_t count = uint64_t(std::min(across, source.width - x * across)) * uint64_t(bottom - top);
      uint32_t pixel = 0;
      for (int channel = 0; channel < 4; ++channel)
        pixel |= uint32_t((sums[size_t(x) * 4 + size_t(channel)] + count / 2) / count) << (8 * channel);
      out[x] = pixel;
    }
  }
  averaged->opaque = source.opaque;
  return averaged;
}

// One bilinear resampling into a new picture of width by height.
::Image ResampleBilinear(const Picture& source, int width, int height) {
  ::Image copy = CreateImage(width, height);
  if (copy == nullptr) return nullptr;
  const std::unique_ptr<Bitmap> from = WrapPicture(source);
  const std::unique_ptr<Bitmap> to = WrapPicture(*copy);
  if (from == nullptr || to == nullptr) return nullptr;
  Status status = GenericError;
  {
    Graphics graphics(to.get());
    // Bilinear is the one smooth filter Wine's GDI+ has: it draws every
    // other one as bilinear, without the prefilter that the others add on
    // Windows. The edge pixels repeat outwards so that the border does not fade.
    graphics.SetCompositingMode(CompositingModeSourceCopy);
    graphics.SetInterpolationMode(InterpolationModeBilinear);
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

}  // namespace

::Image ResizePictureSmooth(const Picture& source, int width, int height) {
  if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0 || !StartGdiplus()) return nullptr;
  // Bilinear sampling reads two pixels each way: shrinking by more than two
  // would skip the rest, and a fine pattern would come out as noise. Blocks
  // of whole pixels are averaged first, down to less than twice the size.
  const int across = std::max(1, source.width / width), down = std::max(1, source.height / height);
  if (across == 1 && down == 1) return ResampleBilinear(source, width, height);
  ::Image averaged = AverageBlocks(source, across, down);
  if (averaged == nullptr) return nullptr;
  if (averaged->width == width && averaged->height == height) return averaged;
  return ResampleBilinear(*averaged, width, height);
}
