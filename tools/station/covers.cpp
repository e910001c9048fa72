// SPDX-License-Identifier: GPL-3.0-or-later
#include "covers.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace station {

namespace {

constexpr int kMaxSidePx = 4000;

std::vector<uint8_t> CoverPixels(int widthPx, int heightPx, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb(static_cast<size_t>(widthPx) * heightPx * 3);
  const int framePx = std::max(1, std::min(widthPx, heightPx) / 50);
  for (int y = 0; y < heightPx; ++y) {
    for (int x = 0; x < widthPx; ++x) {
      const bool frame = x < framePx || y < framePx || x >= widthPx - framePx || y >= heightPx - framePx;
      uint8_t* p = &rgb[(static_cast<size_t>(y) * widthPx + x) * 3];
      p[0] = frame ? r / 2 : r;
      p[1] = frame ? g / 2 : g;
      p[2] = frame ? b / 2 : b;
    }
  }
  return rgb;
}

std::string EncodePng(const std::vector<uint8_t>& rgb, int widthPx, int heightPx) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(widthPx);
  image.height = static_cast<png_uint_32>(heightPx);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) return {};
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgb.data(), 0, nullptr)) return {};
  out.resize(size);
  return out;
}

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

std::string EncodeJpeg(const std::vector<uint8_t>& rgb, int widthPx, int heightPx) {
  jpeg_compress_struct cinfo{};
  JpegError err{};
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1); };
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return {};
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(widthPx);
  cinfo.image_height = static_cast<JDIMENSION>(heightPx);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 92, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(&rgb[static_cast<size_t>(cinfo.next_scanline) * widthPx * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

}  // namespace

std::string EncodeCover(PictureFormat format, int widthPx, int heightPx, uint8_t red,
                        uint8_t green, uint8_t blue) {
  if (widthPx < 1 || heightPx < 1 || widthPx > kMaxSidePx || heightPx > kMaxSidePx) return {};
  const auto rgb = CoverPixels(widthPx, heightPx, red, green, blue);
  return format == PictureFormat::Png ? EncodePng(rgb, widthPx, heightPx)
                                      : EncodeJpeg(rgb, widthPx, heightPx);
}

const char* PictureMimeType(PictureFormat format) {
  return format == PictureFormat::Png ? "image/png" : "image/jpeg";
}

const char* PictureExtension(PictureFormat format) {
  return format == PictureFormat::Png ? "png" : "jpg";
}

}  // namespace station
