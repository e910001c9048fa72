// Whether downloaded bytes hold a whole picture, judged from the bytes
// alone, before any decoder sees them: libpng and libjpeg here refuse a
// truncated file themselves, but other decoders (GDI+, WIC) may fill what is
// missing with grey. Every decoder then refuses the same files.
#pragma once

#include <cstddef>
#include <cstdint>

// A PNG signature, then chunks that each fit in the data, up to IEND.
bool PngIsWhole(const uint8_t* data, size_t size);

// The start-of-image marker, segments that each fit in the data up to the
// first scan, and an end-of-image marker somewhere after it.
bool JpegIsWhole(const uint8_t* data, size_t size);
