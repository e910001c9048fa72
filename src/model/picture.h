// SPDX-License-Identifier: GPL-3.0-or-later
// A picture as the whole player holds it: width by height pixels, each one
// native-endian 32-bit word 0xAARRGGBB with premultiplied alpha (blue, green,
// red, alpha in memory on little-endian machines). Cairo's ARGB32 and GDI+'s
// PARGB hold pictures the same way, so a drawing backend wraps one without
// copying, and the rest of the player never learns which backend draws.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct Picture {
  int width = 0;
  int height = 0;
  int stride = 0;                // bytes from one row to the next
  std::vector<uint32_t> pixels;  // height rows of stride / 4 words
  // Every alpha is 255, as its maker knows (the gradient): a backend may then
  // copy the picture where it would blend it, the same and much cheaper.
  bool opaque = false;
  // A number of its own, never given to another picture of this run: a
  // cache can tell a new picture from a freed one made again at its address.
  // A picture is not changed once it is drawn.
  uint64_t serial = 0;

  uint32_t* Row(int y) { return pixels.data() + size_t(y) * size_t(stride / 4); }
  const uint32_t* Row(int y) const { return pixels.data() + size_t(y) * size_t(stride / 4); }
  uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(pixels.data()); }
};

// An owned picture; nullptr means "no picture", like the 0 identifier of the toolkit.
using Image = std::unique_ptr<Picture>;

// A new picture of the given size, fully transparent; nullptr when a side is
// not positive or the memory cannot be had.
Image CreateImage(int width, int height);

// Frees the picture if there is one; the variable is then nullptr.
void FreeImage(Image& image);

int ImageWidth(const Image& image);
int ImageHeight(const Image& image);
