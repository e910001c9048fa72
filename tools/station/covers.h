// SPDX-License-Identifier: GPL-3.0-or-later
// Cover pictures drawn on demand: a solid colour with a thin darker frame,
// encoded as PNG or JPEG in memory. Solid colours survive scaling and JPEG
// well, so a screenshot of the player can tell which cover it shows.
#pragma once

#include <cstdint>
#include <string>

#include "playlist.h"

namespace station {

// Encoded picture bytes, or an empty string when the size is out of range
// (1 to 4000 pixels a side) or the encoder fails.
std::string EncodeCover(PictureFormat format, int widthPx, int heightPx, uint8_t red,
                        uint8_t green, uint8_t blue);

const char* PictureMimeType(PictureFormat format);
const char* PictureExtension(PictureFormat format);

}  // namespace station
