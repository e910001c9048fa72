// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/picture.h"

#include <atomic>
#include <climits>
#include <new>

Image CreateImage(int width, int height) {
  if (width <= 0 || height <= 0 || width > INT_MAX / 4) return nullptr;
  try {
    static std::atomic<uint64_t> made{0};  // whichever thread makes a picture
    auto picture = std::make_unique<Picture>();
    picture->serial = ++made;
    picture->width = width;
    picture->height = height;
    picture->stride = width * 4;
    picture->pixels.assign(size_t(width) * size_t(height), 0u);
    return picture;
  } catch (const std::bad_alloc&) {
    return nullptr;  // a header may claim a size no memory holds
  }
}

void FreeImage(Image& image) { image.reset(); }

int ImageWidth(const Image& image) { return image ? image->width : 0; }
int ImageHeight(const Image& image) { return image ? image->height : 0; }
