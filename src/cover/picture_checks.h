// SPDX-License-Identifier: GPL-3.0-or-later
// What every picture decoder of the player checks, judged from the bytes
// alone, before any decoder sees them, and the bounds each decoder keeps
// while it decodes. libpng and libjpeg here refuse a truncated file
// themselves, but other decoders (GDI+, WIC) may fill what is missing with
// grey; and a header can claim any size, which most decoders allocate before
// the first pixel arrives. Every decoder then refuses the same files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// Real covers are 600 to 1,400 pixels a side. A longer side is refused, and
// so is a picture of more pixels than a 3,000 by 3,000 one: a 12 KB 1-bit PNG
// can otherwise claim 10,000 by 9,600 pixels, 384 MB once unpacked.
constexpr uint32_t kMaxPictureSide = 10000;
constexpr uint64_t kMaxPicturePixels = uint64_t(3000) * 3000;

// Memory one decode may take: the 32-bit pixels it hands back plus the
// decoder's own buffers (a progressive JPEG keeps every coefficient of the
// picture, 2 bytes each, until its last scan). The body itself is apart.
constexpr size_t kMaxPictureDecodeBytes = size_t(64) << 20;

// A progressive JPEG is made of scans, each of which the decoder runs over the
// whole picture; encoders write about ten. Scans that carry no data cost a
// few bytes each, and thousands of them cost minutes: more are refused.
constexpr int kMaxJpegScans = 100;

struct PictureSize {
  uint32_t width = 0;
  uint32_t height = 0;
};

// A size no decoder may start on: a side of 0 or over kMaxPictureSide, or more
// than kMaxPicturePixels.
bool PictureSizeAllowed(PictureSize size);

// The memory a decoder may use beside the pixels of a picture of this size
// (which must be allowed): what kMaxPictureDecodeBytes leaves.
size_t PictureDecoderBytesAllowed(PictureSize size);

// The size a PNG's header (IHDR) or a JPEG's frame header (SOFn) claims;
// nothing when the data holds neither.
std::optional<PictureSize> PictureHeaderSize(const uint8_t* data, size_t size);

// A PNG signature, then chunks that each fit in the data, up to IEND.
bool PngIsWhole(const uint8_t* data, size_t size);

// The start-of-image marker, segments that each fit in the data up to the
// first scan, and an end-of-image marker somewhere after it.
bool JpegIsWhole(const uint8_t* data, size_t size);

// The number of start-of-scan markers, walking the segments and the coded
// data between them, up to the end-of-image marker or the end of the data.
int JpegScanCount(const uint8_t* data, size_t size);

// The memory a decoder keeps for a JPEG's coefficients: for a progressive
// frame every block of every component, 2 bytes per coefficient, until the
// last scan (libjpeg's count, sampling and padding to whole blocks
// included); 0 for a sequential frame, decoded a band of rows at a time.
// Nothing when the data holds no frame header. For decoders whose own
// memory cannot be bounded from outside (WIC): libjpeg bounds itself.
std::optional<size_t> JpegCoefficientBytes(const uint8_t* data, size_t size);

// Whether a decoder may start on these bytes: a whole PNG or JPEG whose
// header claims an allowed size, a JPEG of at most kMaxJpegScans scans.
bool PictureMayDecode(const uint8_t* data, size_t size);
