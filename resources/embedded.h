// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

// The 256 by 256 RGBA logo, as PNG bytes.
extern const uint8_t kLogoPng[];
extern const size_t kLogoPngSize;
