// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_decode.h"

#include "cover/image_decode.h"
#include "cover/picture_checks.h"
#include "fuzz_support.h"

namespace {

void CheckPicture(const Image& image, bool opaque) {
  Require(PictureSizeAllowed({uint32_t(ImageWidth(image)), uint32_t(ImageHeight(image))}), "a picture within the bounds");
  Require(image->stride == image->width * 4, "rows of 32-bit pixels");
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      const uint32_t p = image->Row(y)[x];
      const uint32_t a = p >> 24;
      if (opaque) Require(a == 255, "a JPEG is opaque");
      Require(((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a, "colours are premultiplied");
    }
  }
}

}  // namespace

void CheckPictureDecoders(const uint8_t* data, size_t size, Image (*direct)(const uint8_t*, size_t), bool opaque) {
  Image shared = DecodePicture(data, size);
  Image alone = direct(data, size);
  if (shared) {
    Require(PictureMayDecode(data, size), "only what the shared checks let through is decoded");
    const std::optional<PictureSize> claimed = PictureHeaderSize(data, size);
    Require(claimed && int(claimed->width) == shared->width && int(claimed->height) == shared->height,
            "the picture has the size its header claims");
    Require(alone && alone->pixels == shared->pixels, "the decoder alone gives the same picture");
    CheckPicture(shared, opaque);
  }
  if (alone) CheckPicture(alone, opaque);
}
