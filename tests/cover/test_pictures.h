// SPDX-License-Identifier: GPL-3.0-or-later
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

enum class JpegKind {
  Baseline,     // YCbCr
  Grey,         // the red of each pixel
  Progressive,  // YCbCr, the library's standard sequence of scans
  AdobeCmyk,    // four inks stored inverted, with an Adobe marker, as Photoshop writes them
  AdobeYcck,    // the same inks transformed to YCCK
};
std::string EncodeJpegAs(int width, int height, const PixelFn& pixel, JpegKind kind);

// Hostile pictures, small files that cost a decoder dearly.
// A progressive JPEG frame of width by height, three full-size components,
// followed by `scans` scans that carry no data at all.
std::string EmptyScansJpeg(int width, int height, int scans);
// A 1-bit grey PNG, all black: a few kilobytes that unpack to width by height pixels.
std::string OneBitPng(int width, int height);

inline PixelFn Solid(RgbaPixel colour) {
  return [colour](int, int) { return colour; };
}
