// Decoding pictures from memory into the player's neutral pictures. Nothing
// here throws or jumps out: a picture that does not decode gives nullptr.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/picture.h"

// Pictures larger than this on either side are refused: a header can claim
// any size, and the memory is allocated before the first pixel arrives.
constexpr uint32_t kMaxPictureSide = 10000;

// PNG of any colour type; nullptr if the data is not a whole PNG.
Image DecodePng(const uint8_t* data, size_t size);

// Baseline or progressive JPEG, colour or grey; nullptr if the data is not a
// whole JPEG (a truncated one included).
Image DecodeJpeg(const uint8_t* data, size_t size);

// PNG or JPEG, told apart by their signatures; nullptr for anything else.
Image DecodePicture(const uint8_t* data, size_t size);
