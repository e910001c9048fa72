#include "cover/picture_checks.h"

#include <cstring>

namespace {

uint32_t BigEndian32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

bool PngIsWhole(const uint8_t* data, size_t size) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (data == nullptr || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0) {
    return false;
  }
  // Each chunk: length, type, `length` bytes of data, CRC.
  for (size_t at = sizeof kSignature; size - at >= 12;) {
    const uint32_t length = BigEndian32(data + at);
    if (length > size - at - 12) return false;
    if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
    at += 12 + size_t(length);
  }
  return false;
}

bool JpegIsWhole(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
  size_t at = 2;
  for (;;) {
    // A marker: 0xFF (any number of them), then its code.
    if (at >= size || data[at] != 0xFF) return false;
    while (at < size && data[at] == 0xFF) ++at;
    if (at >= size) return false;
    const uint8_t code = data[at++];
    if (code == 0xD9) return false;  // ends before any scan
    if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) continue;  // markers without a length
    if (size - at < 2) return false;
    const size_t length = size_t(data[at]) << 8 | data[at + 1];
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
