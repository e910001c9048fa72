// SPDX-License-Identifier: GPL-3.0-or-later
// Telling pictures apart, and refusing incomplete ones, before any decoder
// sees them: the same for every platform's decoders.
#include "cover/image_decode.h"

#include <cstring>

#include "cover/picture_checks.h"

Image DecodePicture(const uint8_t* data, size_t size) {
  static constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  static constexpr uint8_t kJpegSignature[3] = {0xFF, 0xD8, 0xFF};  // start of image, then a marker
  if (data == nullptr || !PictureMayDecode(data, size)) return nullptr;
  if (size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0)
    return DecodePng(data, size);
  if (size >= sizeof kJpegSignature && std::memcmp(data, kJpegSignature, sizeof kJpegSignature) == 0)
    return DecodeJpeg(data, size);
  return nullptr;
}
