#include "cover/jpeg_decode.h"

#include <setjmp.h>
#include <stdio.h>

#include <jpeglib.h>
#include <jerror.h>

struct JpegErrors {
  struct jpeg_error_mgr base; /* first member: libjpeg hands out a pointer to it */
  jmp_buf escape;
  int truncated;
};

static void OnJpegError(j_common_ptr info) {
  struct JpegErrors* errors = (struct JpegErrors*)info->err;
  longjmp(errors->escape, 1);
}

/* Nothing is printed. A premature end of data is only a warning to libjpeg,
   which pads the picture with grey; we count it as a failed picture. */
static void OnJpegMessage(j_common_ptr info, int level) {
  struct JpegErrors* errors = (struct JpegErrors*)info->err;
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) errors->truncated = 1;
}

int DecodeJpegPixels(const unsigned char* data, size_t size, unsigned maxSide, JpegPixelsFn pixels, void* context) {
  struct jpeg_decompress_struct info;
  struct JpegErrors errors;
  unsigned char* rows;
  size_t stride;

  if (data == NULL || size == 0) return 0;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnJpegError;
  errors.base.emit_message = OnJpegMessage;
  errors.truncated = 0;
  if (setjmp(errors.escape)) {
    jpeg_destroy_decompress(&info);
    return 0;
  }

  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, (unsigned long)size);
  jpeg_read_header(&info, TRUE);
  if (info.image_width == 0 || info.image_height == 0 || info.image_width > maxSide ||
      info.image_height > maxSide) {
    jpeg_destroy_decompress(&info);
    return 0;
  }
  /* One native-endian 32-bit word per pixel, as the player's pictures hold them. */
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  info.out_color_space = JCS_EXT_BGRA;
#else
  info.out_color_space = JCS_EXT_ARGB;
#endif
  jpeg_start_decompress(&info);

  rows = pixels(context, info.output_width, info.output_height);
  if (rows == NULL) {
    jpeg_destroy_decompress(&info);
    return 0;
  }
  stride = (size_t)info.output_width * 4;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = rows + (size_t)info.output_scanline * stride;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) longjmp(errors.escape, 1); /* never loop on no progress */
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return !errors.truncated;
}
