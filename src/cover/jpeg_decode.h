/* JPEG decoding, in C: libjpeg reports errors by a long jump, and a jump
   through C++ frames would skip their destructors. */
#pragma once

#include <cairo.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A new ARGB32 surface holding the JPEG in `data`, or NULL when the data is
   not a whole JPEG (truncated data included) or a side exceeds maxSide. */
cairo_surface_t* DecodeJpegSurface(const unsigned char* data, size_t size, unsigned maxSide);

#ifdef __cplusplus
}
#endif
