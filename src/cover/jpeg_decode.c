// SPDX-License-Identifier: GPL-3.0-or-later
#include "cover/jpeg_decode.h"

#include <setjmp.h>
#include <stdio.h>

#include <jpeglib.h>
#include <jerror.h>

struct JpegDecode {
  struct jpeg_error_mgr errors; /* first member: libjpeg hands out a pointer to it */
  struct jpeg_progress_mgr progress;
  jmp_buf escape;
  int truncated;
  int maxScans;
};

static void OnJpegError(j_common_ptr info) {
  struct JpegDecode* decode = (struct JpegDecode*)info->err;
  longjmp(decode->escape, 1);
}

/* Nothing is printed. A premature end of data is only a warning to libjpeg,
   which pads the picture with grey; we count it as a failed picture. */
static void OnJpegMessage(j_common_ptr info, int level) {
  struct JpegDecode* decode = (struct JpegDecode*)info->err;
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) decode->truncated = 1;
}

/* Called before each step of reading the input: a scan past the bound ends
   the decode before it is run over the picture. */
static void OnJpegProgress(j_common_ptr info) {
  struct JpegDecode* decode = (struct JpegDecode*)info->err;
  if (((j_decompress_ptr)info)->input_scan_number > decode->maxScans) longjmp(decode->escape, 1);
}

/* A row of 4-byte inks, in place, to the player's 32-bit pixels. Adobe's
   encoders (by far the most common source of CMYK covers) store inks
   inverted, 255 meaning none, and mark the file as theirs. */
static void InksToPixels(unsigned char* row, unsigned width, int inverted) {
  unsigned x;
  for (x = 0; x < width; ++x) {
    unsigned char* p = row + 4 * (size_t)x;
    const unsigned k = inverted ? p[3] : 255u - p[3];
    const unsigned c = inverted ? p[0] : 255u - p[0];
    const unsigned m = inverted ? p[1] : 255u - p[1];
    const unsigned y = inverted ? p[2] : 255u - p[2];
    const unsigned char r = (unsigned char)((c * k + 127) / 255);
    const unsigned char g = (unsigned char)((m * k + 127) / 255);
    const unsigned char b = (unsigned char)((y * k + 127) / 255);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    p[0] = b, p[1] = g, p[2] = r, p[3] = 255;
#else
    p[0] = 255, p[1] = r, p[2] = g, p[3] = b;
#endif
  }
}

int DecodeJpegPixels(const unsigned char* data, size_t size, const struct JpegBounds* bounds, JpegPixelsFn pixels,
                     void* context) {
  struct jpeg_decompress_struct info;
  struct JpegDecode decode;
  unsigned char* rows;
  size_t stride;
  size_t decoderBytes;
  int inks;
  int inverted;

  if (data == NULL || size == 0) return 0;
  info.err = jpeg_std_error(&decode.errors);
  decode.errors.error_exit = OnJpegError;
  decode.errors.emit_message = OnJpegMessage;
  decode.truncated = 0;
  decode.maxScans = bounds->maxScans;
  if (setjmp(decode.escape)) {
    jpeg_destroy_decompress(&info);
    return 0;
  }

  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, (unsigned long)size);
  jpeg_read_header(&info, TRUE);
  if (!bounds->sizeAllowed(info.image_width, info.image_height)) {
    jpeg_destroy_decompress(&info);
    return 0;
  }
  /* A progressive picture's coefficients are allocated at the start of the
     decode, for the whole picture: past this, libjpeg fails (it has no
     backing store) instead of allocating. */
  decoderBytes = bounds->decoderBytes(info.image_width, info.image_height);
  if (decoderBytes == 0) longjmp(decode.escape, 1); /* 0 would mean no bound at all to libjpeg */
  info.mem->max_memory_to_use = (long)decoderBytes;
  decode.progress.progress_monitor = OnJpegProgress;
  info.progress = &decode.progress;

  /* One native-endian 32-bit word per pixel, as the player's pictures hold
     them; libjpeg converts YCCK to inks, and we convert the inks. */
  inks = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  inverted = inks && info.saw_Adobe_marker;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  info.out_color_space = inks ? JCS_CMYK : JCS_EXT_BGRA;
#else
  info.out_color_space = inks ? JCS_CMYK : JCS_EXT_ARGB;
#endif
  jpeg_calc_output_dimensions(&info);
  if (info.output_components != 4) longjmp(decode.escape, 1);
  rows = pixels(context, info.output_width, info.output_height);
  if (rows == NULL) {
    jpeg_destroy_decompress(&info);
    return 0;
  }
  jpeg_start_decompress(&info);
  stride = (size_t)info.output_width * 4;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = rows + (size_t)info.output_scanline * stride;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) longjmp(decode.escape, 1); /* never loop on no progress */
    if (inks) InksToPixels(row, info.output_width, inverted);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return !decode.truncated;
}
