// SPDX-License-Identifier: GPL-3.0-or-later
// DecodePng and DecodeJpeg on libpng and libjpeg.
#include <png.h>

#include <cstring>

#include "cover/image_decode.h"
#include "cover/jpeg_decode.h"
#include "cover/picture_checks.h"

namespace {

// The player's pictures hold premultiplied alpha.
void PremultiplyBgra(uint8_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    uint8_t* p = pixels + 4 * i;
    const unsigned a = p[3];
    if (a == 255) continue;
    p[0] = uint8_t((p[0] * a + 127) / 255);
    p[1] = uint8_t((p[1] * a + 127) / 255);
    p[2] = uint8_t((p[2] * a + 127) / 255);
  }
}

}  // namespace

Image DecodePng(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0) return nullptr;
  // libpng's simplified API keeps its error jumps inside libpng.
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, data, size)) return nullptr;
  if (!PictureSizeAllowed({png.width, png.height})) {
    png_image_free(&png);
    return nullptr;
  }
  png.format = PNG_FORMAT_BGRA;  // the byte order of a 0xAARRGGBB word on little-endian machines
  Image image = CreateImage(int(png.width), int(png.height));
  if (image == nullptr) {
    png_image_free(&png);
    return nullptr;
  }
  uint8_t* pixels = image->Bytes();
  const int stride = image->stride;
  if (!png_image_finish_read(&png, nullptr, pixels, stride, nullptr)) {
    png_image_free(&png);
    return nullptr;
  }
  for (uint32_t row = 0; row < png.height; ++row) PremultiplyBgra(pixels + size_t(row) * stride, png.width);
  return image;
}

Image DecodeJpeg(const uint8_t* data, size_t size) {
  Image image;
  const JpegPixelsFn pixels = [](void* context, unsigned width, unsigned height) -> unsigned char* {
    Image& made = *static_cast<Image*>(context);
    made = CreateImage(int(width), int(height));
    return made ? made->Bytes() : nullptr;
  };
  static constexpr JpegBounds kBounds{
      [](unsigned width, unsigned height) -> int { return PictureSizeAllowed({width, height}); },
      [](unsigned width, unsigned height) { return PictureDecoderBytesAllowed({width, height}); },
      kMaxJpegScans,
  };
  if (!DecodeJpegPixels(data, size, &kBounds, pixels, &image)) return nullptr;
  return image;
}
