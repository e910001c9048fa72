// SPDX-License-Identifier: GPL-3.0-or-later
// A hostile JPEG made byte by byte, the same on every platform: no encoder
// writes one.
#include <string>

#include "cover/test_pictures.h"

namespace {

void PutBigEndian16(std::string& out, unsigned v) {
  out += char(v >> 8);
  out += char(v & 0xFF);
}

}  // namespace

std::string EmptyScansJpeg(int width, int height, int scans) {
  std::string file = "\xFF\xD8";
  file += "\xFF\xDB";  // one quantisation table of ones
  PutBigEndian16(file, 67);
  file += std::string(1, '\0') + std::string(64, '\1');
  file += "\xFF\xC2";  // progressive frame: three components, none subsampled
  PutBigEndian16(file, 17);
  file += '\x08';
  PutBigEndian16(file, unsigned(height));
  PutBigEndian16(file, unsigned(width));
  file += '\x03';
  for (char id = 1; id <= 3; ++id) file += std::string{id, '\x11', '\0'};
  file += "\xFF\xC4";  // a DC table of one code
  PutBigEndian16(file, 20);
  file += '\0';
  file += '\1' + std::string(15, '\0') + std::string(1, '\0');
  for (int i = 0; i < scans; ++i) {
    file += "\xFF\xDA";  // the first DC scan of all three components, again and again, without data
    PutBigEndian16(file, 12);
    file += '\x03';
    for (char id = 1; id <= 3; ++id) file += std::string{id, '\0'};
    file += std::string(3, '\0');
  }
  file += "\xFF\xD9";
  return file;
}
