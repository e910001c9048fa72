// SPDX-License-Identifier: GPL-3.0-or-later
/* JPEG decoding, in C: libjpeg reports errors by a long jump, and a jump
   through C++ frames would skip their destructors. */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Where the pixels go: called once the size is known and allowed, before the
   decoder allocates its own buffers; it returns rows of `width` 32-bit
   pixels, 4 * width bytes apart, or NULL to give up. */
typedef unsigned char* (*JpegPixelsFn)(void* context, unsigned width, unsigned height);

/* What one decode may take. */
struct JpegBounds {
  int (*sizeAllowed)(unsigned width, unsigned height);
  size_t (*decoderBytes)(unsigned width, unsigned height); /* libjpeg's own memory beside the pixels */
  int maxScans;
};

/* Decodes the JPEG in `data` into the rows `pixels` hands out, as opaque
   native-endian 0xAARRGGBB words; colour, grey, CMYK and YCCK. 0 when the
   data is not a whole JPEG (truncated data included), exceeds a bound or
   `pixels` gave up; what was handed out then holds nothing of use. */
int DecodeJpegPixels(const unsigned char* data, size_t size, const struct JpegBounds* bounds, JpegPixelsFn pixels,
                     void* context);

#ifdef __cplusplus
}
#endif
