// SPDX-License-Identifier: GPL-3.0-or-later
// Resampling a picture to another size.
#pragma once

#include "model/picture.h"

// A new, independent copy of `source` resampled to width by height with an
// interpolating filter, stretched whatever the proportions; nullptr on failure.
Image ResizePictureSmooth(const Picture& source, int width, int height);
