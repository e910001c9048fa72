// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding pictures from memory into the player's neutral pictures. Nothing
// here throws or jumps out: a picture that does not decode gives nullptr.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/picture.h"

// Each decoder refuses a size that PictureSizeAllowed (cover/picture_checks.h)
// refuses, before it allocates anything for the pixels.

// PNG of any colour type; nullptr if the data is not a whole PNG.
Image DecodePng(const uint8_t* data, size_t size);

// Baseline or progressive JPEG, colour, grey, CMYK or YCCK; nullptr if the
// data is not a whole JPEG (a truncated one included), or would take more
// than kMaxJpegScans scans or kMaxPictureDecodeBytes of memory.
Image DecodeJpeg(const uint8_t* data, size_t size);

// PNG or JPEG, told apart by their signatures, when PictureMayDecode lets
// them through; nullptr for anything else.
Image DecodePicture(const uint8_t* data, size_t size);
