// SPDX-License-Identifier: GPL-3.0-or-later
#include "cover/picture_checks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kJpegStart[2] = {0xFF, 0xD8};

uint32_t BigEndian32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t BigEndian16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }

bool IsPng(const uint8_t* data, size_t size) {
  return data != nullptr && size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
}

bool IsJpeg(const uint8_t* data, size_t size) {
  return data != nullptr && size >= 4 && std::memcmp(data, kJpegStart, sizeof kJpegStart) == 0;
}

// Markers without a length: TEM and the restart markers.
bool StandsAlone(uint8_t code) { return code == 0x01 || (code >= 0xD0 && code <= 0xD7); }

// Frame headers: SOF0 to SOF15 but for DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(uint8_t code) { return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC; }

// Walks the markers of a JPEG from just after its start, calling `visit` with
// each marker's code and the bytes of its segment (after the length). Coded
// data after a scan's header is stepped over: in it a 0xFF byte is followed by
// 0x00, a restart marker or more 0xFF. Stops at the end of the image, at the
// end of the data, on a segment that does not fit, or when `visit` says so.
template <typename Visit>
void WalkJpeg(const uint8_t* data, size_t size, Visit visit) {
  size_t at = sizeof kJpegStart;
  while (at < size) {
    if (data[at] != 0xFF) {
      ++at;  // coded data, or junk between segments that decoders skip too
      continue;
    }
    while (at < size && data[at] == 0xFF) ++at;
    if (at >= size) return;
    const uint8_t code = data[at++];
    if (code == 0x00 || StandsAlone(code)) continue;
    if (code == 0xD9) return;
    if (size - at < 2) return;
    const size_t length = BigEndian16(data + at);
    if (length < 2 || length > size - at) return;
    if (!visit(code, data + at + 2, length - 2)) return;
    at += length;
  }
}

}  // namespace

bool PictureSizeAllowed(PictureSize size) {
  return size.width > 0 && size.height > 0 && size.width <= kMaxPictureSide && size.height <= kMaxPictureSide &&
         uint64_t(size.width) * size.height <= kMaxPicturePixels;
}

size_t PictureDecoderBytesAllowed(PictureSize size) {
  const uint64_t pixelBytes = uint64_t(size.width) * size.height * 4;
  return pixelBytes >= kMaxPictureDecodeBytes ? 0 : kMaxPictureDecodeBytes - size_t(pixelBytes);
}

std::optional<PictureSize> PictureHeaderSize(const uint8_t* data, size_t size) {
  if (IsPng(data, size)) {
    // The signature, then IHDR first: length, type, width, height.
    if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0) return std::nullopt;
    return PictureSize{BigEndian32(data + 16), BigEndian32(data + 20)};
  }
  if (!IsJpeg(data, size)) return std::nullopt;
  std::optional<PictureSize> found;
  WalkJpeg(data, size, [&found](uint8_t code, const uint8_t* segment, size_t length) {
    if (!IsFrameHeader(code)) return true;
    // Precision, then height and width.
    if (length >= 5) found = PictureSize{BigEndian16(segment + 3), BigEndian16(segment + 1)};
    return false;
  });
  return found;
}

bool PngIsWhole(const uint8_t* data, size_t size) {
  if (!IsPng(data, size)) return false;
  // Each chunk: length, type, `length` bytes of data, CRC.
  for (size_t at = sizeof kPngSignature; size - at >= 12;) {
    const uint32_t length = BigEndian32(data + at);
    if (length > size - at - 12) return false;
    if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
    at += 12 + size_t(length);
  }
  return false;
}

bool JpegIsWhole(const uint8_t* data, size_t size) {
  if (!IsJpeg(data, size)) return false;
  size_t at = 2;
  for (;;) {
    // A marker: 0xFF (any number of them), then its code.
    if (at >= size || data[at] != 0xFF) return false;
    while (at < size && data[at] == 0xFF) ++at;
    if (at >= size) return false;
    const uint8_t code = data[at++];
    if (code == 0xD9) return false;  // ends before any scan
    if (StandsAlone(code)) continue;
    if (size - at < 2) return false;
    const size_t length = BigEndian16(data + at);
    if (length < 2 || length > size - at) return false;
    at += length;
    if (code == 0xDA) break;  // the first scan: its coded data follows
  }
  // In coded data a 0xFF byte is followed by 0x00 or a restart marker, so
  // 0xFF 0xD9 is the end of the image.
  for (; at + 1 < size; ++at) {
    if (data[at] == 0xFF && data[at + 1] == 0xD9) return true;
  }
  return false;
}

int JpegScanCount(const uint8_t* data, size_t size) {
  if (!IsJpeg(data, size)) return 0;
  int scans = 0;
  WalkJpeg(data, size, [&scans](uint8_t code, const uint8_t*, size_t) {
    if (code == 0xDA) ++scans;
    return scans <= kMaxJpegScans;  // past the bound the count no longer matters
  });
  return scans;
}

std::optional<size_t> JpegCoefficientBytes(const uint8_t* data, size_t size) {
  if (!IsJpeg(data, size)) return std::nullopt;
  std::optional<size_t> bytes;
  WalkJpeg(data, size, [&bytes](uint8_t code, const uint8_t* segment, size_t length) {
    if (!IsFrameHeader(code)) return true;
    // Precision, height, width, the number of components, then 3 bytes each:
    // id, sampling factors (horizontal in the high half), table.
    if (length < 6) return false;
    const uint64_t height = BigEndian16(segment + 1), width = BigEndian16(segment + 3);
    const size_t components = segment[5];
    if (components == 0 || length < 6 + 3 * components) return false;
    const bool progressive = code == 0xC2 || code == 0xC6 || code == 0xCA || code == 0xCE;
    if (!progressive) {
      bytes = 0;
      return false;
    }
    uint64_t maxH = 1, maxV = 1;
    for (size_t i = 0; i < components; ++i) {
      maxH = std::max<uint64_t>(maxH, segment[7 + 3 * i] >> 4);
      maxV = std::max<uint64_t>(maxV, segment[7 + 3 * i] & 0x0F);
    }
    const auto blocks = [](uint64_t pixels, uint64_t factor, uint64_t maxFactor) {
      const uint64_t count = (pixels * factor + maxFactor * 8 - 1) / (maxFactor * 8);
      return factor == 0 ? count : (count + factor - 1) / factor * factor;  // whole MCUs
    };
    uint64_t total = 0;
    for (size_t i = 0; i < components; ++i) {
      const uint64_t h = segment[7 + 3 * i] >> 4, v = segment[7 + 3 * i] & 0x0F;
      total += blocks(width, h, maxH) * blocks(height, v, maxV) * 64 * 2;
    }
    bytes = size_t(std::min<uint64_t>(total, SIZE_MAX));
    return false;
  });
  return bytes;
}

bool PictureMayDecode(const uint8_t* data, size_t size) {
  const bool png = IsPng(data, size);
  if (png ? !PngIsWhole(data, size) : !JpegIsWhole(data, size)) return false;
  const std::optional<PictureSize> claimed = PictureHeaderSize(data, size);
  if (!claimed || !PictureSizeAllowed(*claimed)) return false;
  return png || JpegScanCount(data, size) <= kMaxJpegScans;
}
