// Pictures made in memory for the decoding and cover tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct RgbaPixel {
  uint8_t r, g, b, a;
};

using PixelFn = std::function<RgbaPixel(int x, int y)>;

// An 8-bit RGBA PNG file.
std::string EncodePng(int width, int height, const PixelFn& pixel);

// A baseline JPEG file at high quality, in colour or in grey (the grey one
// takes the red of each pixel).
std::string EncodeJpeg(int width, int height, const PixelFn& pixel, bool grey = false);

inline PixelFn Solid(RgbaPixel colour) {
  return [colour](int, int) { return colour; };
}
