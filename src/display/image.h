// Pictures held by the player: Cairo image surfaces (ARGB32, premultiplied).
// nullptr means "no picture", like the 0 identifier of the toolkit.
#pragma once

#include <cairo.h>

using Image = cairo_surface_t*;

// A new picture of the given size, fully transparent; nullptr on failure.
Image CreateImage(int width, int height);

// Frees the picture if there is one and sets the variable to nullptr.
void FreeImage(Image& image);

int ImageWidth(Image image);
int ImageHeight(Image image);

// A new, independent copy of `source` resampled to width x height with an
// interpolating filter, stretched whatever the proportions; nullptr on failure.
Image ResizeImageSmooth(Image source, int width, int height);
