// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the fuzz targets' seeds and regression inputs that are not kept in
// the repository, under the folder given: seeds/<target>/… and
// regression/<target>/… Pictures are made with the test pictures' encoders.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cover/test_pictures.h"

namespace fs = std::filesystem;

namespace {

fs::path root;

void Put(const std::string& folder, const std::string& name, const std::string& bytes) {
  const fs::path dir = root / folder;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

RgbaPixel Gradient(int x, int y) { return {uint8_t(x * 16), uint8_t(y * 16), uint8_t((x ^ y) * 8), uint8_t(255 - x * 8)}; }

// Raw UTF-16, as the title and fitting targets read it after their mode byte.
std::string Raw(const std::u16string& text) {
  std::string bytes(1, '\x01');
  for (char16_t c : text) bytes += std::string{char(c & 0xFF), char(c >> 8)};
  return bytes;
}

// A second of a 440 Hz tone, 8 kHz mono 16-bit PCM.
std::string ToneWav() {
  constexpr int kRate = 8000;
  std::string samples;
  for (int i = 0; i < kRate; ++i) {
    const int16_t v = int16_t(8000 * std::sin(2 * M_PI * 440 * i / kRate));
    samples += std::string{char(v & 0xFF), char((v >> 8) & 0xFF)};
  }
  const auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  const auto le16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  return "RIFF" + le32(uint32_t(36 + samples.size())) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(kRate) +
         le32(kRate * 2) + le16(2) + le16(16) + "data" + le32(uint32_t(samples.size())) + samples;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_seeds FOLDER\n");
    return 2;
  }
  root = argv[1];

  const std::string png = EncodePng(8, 6, Gradient);
  Put("seeds/png", "rgba.png", png);
  Put("seeds/png", "opaque.png", EncodePng(16, 4, Solid({200, 30, 30, 255})));
  Put("seeds/png", "one_bit.png", OneBitPng(24, 5));
  const std::string jpeg = EncodeJpegAs(16, 16, Gradient, JpegKind::Baseline);
  Put("seeds/jpeg", "baseline.jpg", jpeg);
  Put("seeds/jpeg", "grey.jpg", EncodeJpegAs(8, 8, Gradient, JpegKind::Grey));
  Put("seeds/jpeg", "progressive.jpg", EncodeJpegAs(24, 16, Gradient, JpegKind::Progressive));
  Put("seeds/jpeg", "cmyk.jpg", EncodeJpegAs(16, 8, Gradient, JpegKind::AdobeCmyk));
  Put("seeds/jpeg", "ycck.jpg", EncodeJpegAs(16, 8, Gradient, JpegKind::AdobeYcck));
  Put("seeds/jpeg", "empty_scans.jpg", EmptyScansJpeg(16, 16, 3));

  // Small files that claim huge pictures or endless work.
  Put("regression/png", "one_bit_10000x9600.png", OneBitPng(10000, 9600));
  Put("regression/png", "one_bit_3001x3000.png", OneBitPng(3001, 3000));
  Put("regression/jpeg", "empty_scans_1108_bytes.jpg", EmptyScansJpeg(3000, 3000, 71));
  Put("regression/jpeg", "empty_scans_10k_8000x8000.jpg", EmptyScansJpeg(8000, 8000, 730));
  Put("regression/jpeg", "progressive_frame_10000x10000.jpg", EmptyScansJpeg(10000, 10000, 1));

  // A whole poll: statistics page, status page, the two answers, the picture.
  const std::string sep = "\n~~~~\n";
  const std::string stats = R"({"songtitle":"Blue Sky - Night Song"})";
  const std::string itunes = R"({"resultCount":1,"results":[{"artworkUrl100":"http://pictures/c/100x100bb.jpg"}]})";
  const std::string deezer = R"({"data":[{"album":{"cover_xl":"http://pictures/xl.jpg","cover_big":"http://pictures/big.jpg"}}]})";
  Put("seeds/poll", "first_service_png", stats + sep + "<fail>" + sep + itunes + sep + "{}" + sep + png);
  Put("seeds/poll", "second_service_jpeg", stats + sep + "<fail>" + sep + "{}" + sep + deezer + sep + jpeg);
  Put("seeds/poll", "status_page", "<fail>" + sep + "1,2,3,4,5,Blue Sky - Night Song" + sep + itunes + sep + "{}" + sep + png);

  // Texts with characters outside the basic plane, and lone halves.
  Put("seeds/title_rules", "pairs", Raw(u"Blue \U0001F508 Sky - Night \U0001F600 Song (Live)"));
  Put("seeds/title_rules", "lone", Raw(u"A\xD83D - B\xDD08 feat. C"));
  Put("seeds/text_fit", "faces", "\x80\x01" + Raw(u"ab\U0001F600\U0001F601\U0001F602\U0001F603 Night Song"));
  Put("seeds/text_fit", "long", std::string("\x80\x02\x00", 3) + std::string(300, 'W'));
  Put("seeds/text_fit", "accents", std::string("\x40\x01\x00", 3) + "Caf\xC3\xA9 \xC3\x89t\xC3\xA9 \xE2\x80\x94 No\xC3\xABl");

  Put("seeds/stream_input", "tone.wav", ToneWav());
  return 0;
}
