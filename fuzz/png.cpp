// SPDX-License-Identifier: GPL-3.0-or-later
// PNG pictures, as a cover download or the embedded logo brings them.
#include "cover/image_decode.h"
#include "picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckPictureDecoders(data, size, DecodePng, false);
  return 0;
}
