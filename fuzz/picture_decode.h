// SPDX-License-Identifier: GPL-3.0-or-later
// What the PNG and the JPEG targets check of a picture decoder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/picture.h"

// Decodes the input with DecodePicture and with `direct` (the decoder alone,
// without the shared checks) and checks both: sizes within the bounds, the
// same pixels, opaque pixels when `opaque`, premultiplied ones otherwise.
void CheckPictureDecoders(const uint8_t* data, size_t size, Image (*direct)(const uint8_t*, size_t), bool opaque);
