// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes picture files as the cover download does and prints, for each, the
// time it took and the size it gave. Peak memory is GNU time's:
//   /usr/bin/time -v build/bench/picture_decode_drive FILE...
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "cover/image_decode.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto start = std::chrono::steady_clock::now();
    Image picture = DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("%s: %zu bytes, %.1f ms, %s %dx%d\n", argv[i], bytes.size(), took.count(),
                picture ? "decoded" : "refused", ImageWidth(picture), ImageHeight(picture));
  }
  return 0;
}
