#include "cover/test_pictures.h"

#include <jpeglib.h>
#include <png.h>

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

std::string EncodeJpeg(int width, int height, const PixelFn& pixel, bool grey) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);  // test input is always valid: default exit is fine
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(size_t(width) * info.input_components);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < width; ++x) {
      const RgbaPixel p = pixel(x, int(info.next_scanline));
      if (grey) {
        row[x] = p.r;
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
