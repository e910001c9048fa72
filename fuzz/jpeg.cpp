// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG pictures, as a cover download brings them: baseline, progressive,
// grey, CMYK and YCCK.
#include "cover/image_decode.h"
#include "picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckPictureDecoders(data, size, DecodeJpeg, true);
  return 0;
}
