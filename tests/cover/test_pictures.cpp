// SPDX-License-Identifier: GPL-3.0-or-later
#include "cover/test_pictures.h"

#include <jpeglib.h>
#include <png.h>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

std::string EncodePng(int width, int height, const PixelFn& pixel) {
  std::vector<uint8_t> rgba(size_t(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const RgbaPixel p = pixel(x, y);
      uint8_t* out = &rgba[(size_t(y) * width + x) * 4];
      out[0] = p.r, out[1] = p.g, out[2] = p.b, out[3] = p.a;
    }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, rgba.data(), 0, nullptr)) std::abort();
  std::string file(size, '\0');
  if (!png_image_write_to_memory(&image, file.data(), &size, 0, rgba.data(), 0, nullptr)) std::abort();
  file.resize(size);
  return file;
}

namespace {

// The inks of a colour as Photoshop stores them in an Adobe CMYK JPEG:
// inverted (255 is no ink), the colour being C * K / 255 and so on.
void InvertedInks(RgbaPixel p, uint8_t* out) {
  const int k = std::max({p.r, p.g, p.b});
  const auto ink = [k](int v) { return uint8_t(k == 0 ? 255 : (v * 255 + k / 2) / k); };
  out[0] = ink(p.r), out[1] = ink(p.g), out[2] = ink(p.b), out[3] = uint8_t(k);
}

}  // namespace

std::string EncodeJpeg(int width, int height, const PixelFn& pixel, bool grey) {
  return EncodeJpegAs(width, height, pixel, grey ? JpegKind::Grey : JpegKind::Baseline);
}

std::string EncodeJpegAs(int width, int height, const PixelFn& pixel, JpegKind kind) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);  // test input is always valid: default exit is fine
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  const bool grey = kind == JpegKind::Grey;
  const bool inks = kind == JpegKind::AdobeCmyk || kind == JpegKind::AdobeYcck;
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = grey ? 1 : inks ? 4 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : inks ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  if (kind == JpegKind::AdobeYcck) jpeg_set_colorspace(&info, JCS_YCCK);  // the Adobe marker comes with both
  if (kind == JpegKind::Progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(size_t(width) * info.input_components);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < width; ++x) {
      const RgbaPixel p = pixel(x, int(info.next_scanline));
      if (grey) {
        row[x] = p.r;
      } else if (inks) {
        InvertedInks(p, &row[4 * x]);
      } else {
        row[3 * x] = p.r, row[3 * x + 1] = p.g, row[3 * x + 2] = p.b;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string file(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return file;
}

namespace {

void PutBigEndian16(std::string& out, unsigned v) {
  out += char(v >> 8);
  out += char(v & 0xFF);
}

void PutBigEndian32(std::string& out, uint32_t v) {
  PutBigEndian16(out, v >> 16);
  PutBigEndian16(out, v & 0xFFFF);
}

void PutPngChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian32(out, uint32_t(data.size()));
  const std::string typed = type + data;
  out += typed;
  PutBigEndian32(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
}

}  // namespace

std::string OneBitPng(int width, int height) {
  std::string file = "\x89PNG\r\n\x1A\n";
  std::string header;
  PutBigEndian32(header, uint32_t(width));
  PutBigEndian32(header, uint32_t(height));
  header += std::string{'\x01', '\0', '\0', '\0', '\0'};  // 1 bit, grey, deflate, no filter, no interlace
  PutPngChunk(file, "IHDR", header);
  const std::string rows(size_t(height) * (1 + (size_t(width) + 7) / 8), '\0');  // filter byte 0, then black
  uLongf packedSize = compressBound(uLong(rows.size()));
  std::string packed(packedSize, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
            uLong(rows.size()), 9);
  packed.resize(packedSize);
  PutPngChunk(file, "IDAT", packed);
  PutPngChunk(file, "IEND", "");
  return file;
}
