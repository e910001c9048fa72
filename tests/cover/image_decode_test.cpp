// SPDX-License-Identifier: GPL-3.0-or-later
#include "cover/image_decode.h"
#include "cover/picture_checks.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "cover/test_pictures.h"

namespace {

// Image owned for the length of a test.
struct Decoded {
  explicit Decoded(const std::string& file)
      : image(DecodePicture(reinterpret_cast<const uint8_t*>(file.data()), file.size())) {}
  ~Decoded() { FreeImage(image); }
  Image image;
};

// The premultiplied pixel at (x, y) as a, r, g, b.
RgbaPixel PixelAt(const Image& image, int x, int y) {
  const uint32_t argb = image->Row(y)[x];
  return {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24)};
}

void ExpectNear(RgbaPixel got, RgbaPixel want, int tolerance) {
  EXPECT_NEAR(got.r, want.r, tolerance);
  EXPECT_NEAR(got.g, want.g, tolerance);
  EXPECT_NEAR(got.b, want.b, tolerance);
  EXPECT_EQ(got.a, want.a);
}

TEST(DecodePicture, PngKeepsSizePixelsAndPremultipliesAlpha) {
  const Decoded png(EncodePng(3, 2, [](int x, int y) -> RgbaPixel {
    if (y == 1) return {255, 255, 255, 128};
    return x == 0 ? RgbaPixel{255, 0, 0, 255} : x == 1 ? RgbaPixel{0, 255, 0, 255} : RgbaPixel{0, 0, 255, 255};
  }));
  ASSERT_NE(png.image, nullptr);
  EXPECT_EQ(ImageWidth(png.image), 3);
  EXPECT_EQ(ImageHeight(png.image), 2);
  ExpectNear(PixelAt(png.image, 0, 0), {255, 0, 0, 255}, 0);
  ExpectNear(PixelAt(png.image, 1, 0), {0, 255, 0, 255}, 0);
  ExpectNear(PixelAt(png.image, 2, 0), {0, 0, 255, 255}, 0);
  ExpectNear(PixelAt(png.image, 1, 1), {128, 128, 128, 128}, 1);
}

TEST(DecodePicture, JpegInColourAndGrey) {
  const Decoded colour(EncodeJpeg(32, 16, [](int x, int) -> RgbaPixel {
    return x < 16 ? RgbaPixel{250, 20, 20, 255} : RgbaPixel{20, 20, 250, 255};
  }));
  ASSERT_NE(colour.image, nullptr);
  EXPECT_EQ(ImageWidth(colour.image), 32);
  EXPECT_EQ(ImageHeight(colour.image), 16);
  ExpectNear(PixelAt(colour.image, 2, 8), {250, 20, 20, 255}, 8);
  ExpectNear(PixelAt(colour.image, 29, 8), {20, 20, 250, 255}, 8);

  const Decoded grey(EncodeJpeg(8, 8, Solid({90, 0, 0, 255}), true));
  ASSERT_NE(grey.image, nullptr);
  ExpectNear(PixelAt(grey.image, 4, 4), {90, 90, 90, 255}, 2);
}

TEST(DecodePicture, SidesUpToTheCapDecode) {
  const std::string files[] = {EncodePng(10000, 1, Solid({1, 2, 3, 255})), EncodePng(1, 10000, Solid({1, 2, 3, 255})),
                               EncodeJpeg(10000, 8, Solid({1, 2, 3, 255})), EncodeJpeg(8, 10000, Solid({1, 2, 3, 255}))};
  for (const std::string& file : files) {
    const Decoded picture(file);
    EXPECT_NE(picture.image, nullptr);
  }
}

#ifndef _WIN32  // pictures that only libjpeg makes here (test_pictures_wic.cpp)
TEST(DecodePicture, InksOfAdobeCmykAndYcckBecomeTheirColours) {
  const RgbaPixel left{200, 100, 50, 255}, right{30, 160, 220, 255};
  const PixelFn halves = [&](int x, int) { return x < 16 ? left : right; };
  for (const JpegKind kind : {JpegKind::AdobeCmyk, JpegKind::AdobeYcck}) {
    SCOPED_TRACE(kind == JpegKind::AdobeCmyk ? "CMYK" : "YCCK");
    const Decoded picture(EncodeJpegAs(32, 16, halves, kind));
    ASSERT_NE(picture.image, nullptr);
    ExpectNear(PixelAt(picture.image, 3, 8), left, 6);
    ExpectNear(PixelAt(picture.image, 28, 8), right, 6);
  }
}
#endif

// Small files that claim a huge picture or endless work: refused by the
// checks every decoder shares and, should those miss, by libjpeg's bounds.
TEST(DecodePicture, PicturesBeyondTheBoundsAreRefusedBeforeTheirCost) {
  const auto bytes = [](const std::string& file) { return reinterpret_cast<const uint8_t*>(file.data()); };
  const struct {
    const char* name;
    std::string file;
    bool refused;
  } cases[] = {
      {"scans up to the bound", EmptyScansJpeg(64, 64, kMaxJpegScans), false},
      {"one scan more", EmptyScansJpeg(64, 64, kMaxJpegScans + 1), true},
      {"1-bit PNG at the pixel bound", OneBitPng(3000, 3000), false},
      {"1-bit PNG over it, sides allowed", OneBitPng(3001, 3000), true},
      {"JPEG frame over the pixel bound", EmptyScansJpeg(9000, 1001, 1), true},
      {"baseline JPEG over the pixel bound, sides allowed", EncodeJpeg(3001, 3000, Solid({9, 9, 9, 255}), true), true},
      // Allowed sides, but every coefficient kept would exceed the memory bound.
      {"progressive coefficients over the memory bound", EmptyScansJpeg(3000, 3000, 1), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded picture(c.file);
    EXPECT_EQ(picture.image == nullptr, c.refused);
    // Without the shared checks, by the decoder's own bounds.
    const bool jpeg = c.file[1] == '\xD8';
    Image direct = jpeg ? DecodeJpeg(bytes(c.file), c.file.size()) : DecodePng(bytes(c.file), c.file.size());
    EXPECT_EQ(direct == nullptr, c.refused) << "by the decoder itself";
  }
}

TEST(DecodePicture, AnythingElseFailsCleanly) {
  const std::string png = EncodePng(64, 64, [](int x, int y) { return RgbaPixel{uint8_t(x * 4), uint8_t(y * 4), 7, 255}; });
  const std::string jpeg = EncodeJpeg(64, 64, [](int x, int y) { return RgbaPixel{uint8_t(x * 4), uint8_t(y * 4), 7, 255}; });
  std::string badCrc = png;
  badCrc[40] ^= 0x55;  // inside the image data

  const struct {
    const char* name;
    std::string file;
  } cases[] = {
      {"empty", ""},
      {"HTML error page", "<html><body>404 Not Found</body></html>"},
      {"PNG signature only", png.substr(0, 8)},
      {"truncated PNG", png.substr(0, png.size() / 2)},
      {"corrupted PNG", badCrc},
      {"JPEG start only", jpeg.substr(0, 3)},
      {"truncated JPEG", jpeg.substr(0, jpeg.size() / 2)},
      {"JPEG without a frame", "\xFF\xD8\xFF\xD9"},
      {"PNG wider than the cap", EncodePng(10001, 1, Solid({0, 0, 0, 255}))},
      {"PNG taller than the cap", EncodePng(1, 10001, Solid({0, 0, 0, 255}))},
      {"JPEG wider than the cap", EncodeJpeg(10001, 8, Solid({0, 0, 0, 255}))},
      {"JPEG taller than the cap", EncodeJpeg(8, 10001, Solid({0, 0, 0, 255}))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded picture(c.file);
    EXPECT_EQ(picture.image, nullptr);
  }
}

TEST(PictureChecks, OnlyWholeFilesPass) {
  const auto bytes = [](const std::string& file) { return reinterpret_cast<const uint8_t*>(file.data()); };
  const struct {
    const char* name;
    std::string file;
    bool (*whole)(const uint8_t*, size_t);
  } pictures[] = {
      {"PNG", EncodePng(7, 5, Solid({10, 20, 30, 255})), PngIsWhole},
      {"JPEG", EncodeJpeg(16, 8, Solid({10, 20, 30, 255})), JpegIsWhole},
  };
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.name);
    EXPECT_TRUE(p.whole(bytes(p.file), p.file.size()));
    const std::string trailing = p.file + "trailing bytes";  // some servers pad their files
    EXPECT_TRUE(p.whole(bytes(trailing), trailing.size()));
    for (size_t cut = 0; cut < p.file.size(); ++cut) {
      if (p.whole(bytes(p.file), cut)) ADD_FAILURE() << "cut at " << cut << " of " << p.file.size();
    }
  }
  std::string lying = EncodePng(7, 5, Solid({10, 20, 30, 255}));
  lying[8] = char(0x7F);  // the first chunk claims far more bytes than follow
  EXPECT_FALSE(PngIsWhole(bytes(lying), lying.size()));
  const std::string noScan = "\xFF\xD8\xFF\xD9";
  EXPECT_FALSE(JpegIsWhole(bytes(noScan), noScan.size()));
}

TEST(PictureChecks, SizeAndScansReadFromTheBytes) {
  const auto bytes = [](const std::string& file) { return reinterpret_cast<const uint8_t*>(file.data()); };
  const struct {
    const char* name;
    std::string file;
    uint32_t width, height;
    int scans;
  } pictures[] = {
      {"PNG", EncodePng(7, 5, Solid({1, 2, 3, 255})), 7, 5, 0},
      {"baseline JPEG", EncodeJpeg(40, 24, Solid({1, 2, 3, 255})), 40, 24, 1},
#ifndef _WIN32
      {"progressive JPEG", EncodeJpegAs(40, 24, Solid({1, 2, 3, 255}), JpegKind::Progressive), 40, 24, 10},
#endif
      {"empty scans", EmptyScansJpeg(9, 8, 5), 9, 8, 5},
  };
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.name);
    const std::optional<PictureSize> size = PictureHeaderSize(bytes(p.file), p.file.size());
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, p.width);
    EXPECT_EQ(size->height, p.height);
    EXPECT_EQ(JpegScanCount(bytes(p.file), p.file.size()), p.scans);
  }
  // Coefficients a progressive decode holds: 3 components of 2 by 1 blocks,
  // padded; none for a sequential one.
  const std::string progressive = EmptyScansJpeg(9, 8, 1), sequential = EncodeJpeg(40, 24, Solid({1, 2, 3, 255}));
  EXPECT_EQ(JpegCoefficientBytes(bytes(progressive), progressive.size()), 3u * 2 * 1 * 64 * 2);
  EXPECT_EQ(JpegCoefficientBytes(bytes(sequential), sequential.size()), 0u);
  EXPECT_TRUE(PictureSizeAllowed({3000, 3000}));
  EXPECT_TRUE(PictureSizeAllowed({10000, 900}));
  EXPECT_FALSE(PictureSizeAllowed({3000, 3001}));
  EXPECT_FALSE(PictureSizeAllowed({10001, 1}));
  EXPECT_FALSE(PictureSizeAllowed({0, 1}));
}

}  // namespace
