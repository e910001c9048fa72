// SPDX-License-Identifier: GPL-3.0-or-later
// Cover updates end to end: search and picture servers on 127.0.0.1.
#include "app/cover_update.h"

#include <gtest/gtest.h>

#include <regex>

#include "model/layout.h"
#include "cover/test_pictures.h"
#include "os/os.h"
#include "support/local_server.h"

namespace {

RgbaPixel PixelAt(const Image& image, int x, int y) {
  const uint32_t argb = image->Row(y)[x];
  return {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24)};
}

// Left half red, right half blue.
RgbaPixel HalfRedHalfBlue(int width, int x) { return x < width / 2 ? RgbaPixel{255, 0, 0, 255} : RgbaPixel{0, 0, 255, 255}; }

class CoverUpdate : public testing::Test {
 protected:
  void SetUp() override {
    player.httpGet = BoundedHttpGet(MonotonicMs, {});
    player.config.itunesBase = service.Base();
    player.config.deezerBase = deezer.Base();
    ComputeLayout(player.look.layout, player.playback.volume);
    FindPicture();
    deezer.Serve("/search", "{}");
  }
  void TearDown() override {
    FreeImage(player.song.coverImage);
    FreeImage(player.song.coverScaled);
  }

  // The first search service finds the picture at /pic on the same server.
  void FindPicture() {
    service.Serve("/search", R"({"results":[{"artworkUrl100":")" + service.Base() + R"(/pic"}]})");
  }
  void ServePicture(const std::string& body) { service.Serve("/pic", body, "image/jpeg"); }

  LocalServer service, deezer;
  Player player;
};

TEST_F(CoverUpdate, PicturesAreHeldFullSizeAndStretchedTo250) {
  const struct {
    const char* name;
    std::string file;
    int width, height;
  } cases[] = {
      {"PNG 300x200", EncodePng(300, 200, [](int x, int) { return HalfRedHalfBlue(300, x); }), 300, 200},
      {"JPEG 600x600", EncodeJpeg(600, 600, [](int x, int) { return HalfRedHalfBlue(600, x); }), 600, 600},
      {"JPEG 1000x1000", EncodeJpeg(1000, 1000, [](int x, int) { return HalfRedHalfBlue(1000, x); }), 1000, 1000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServePicture(c.file);
    player.song.coverFailCount = 2;
    service.ClearRequests();
    UpdateCover(player, u"Blue Sky - Night Song");

    ASSERT_NE(player.song.coverImage, nullptr);
    ASSERT_NE(player.song.coverScaled, nullptr);
    EXPECT_NE(player.song.coverScaled, player.song.coverImage);
    EXPECT_EQ(ImageWidth(player.song.coverImage), c.width);
    EXPECT_EQ(ImageHeight(player.song.coverImage), c.height);
    EXPECT_EQ(ImageWidth(player.song.coverScaled), 250);
    EXPECT_EQ(ImageHeight(player.song.coverScaled), 250);
    EXPECT_EQ(player.song.coverFailCount, 0);
    // Stretched, not letter-boxed: opaque to every edge, halves where they were.
    for (const auto& [x, y, want] : {std::tuple{5, 0, RgbaPixel{255, 0, 0, 255}}, {5, 249, RgbaPixel{255, 0, 0, 255}},
                                     {244, 0, RgbaPixel{0, 0, 255, 255}}, {244, 249, RgbaPixel{0, 0, 255, 255}}}) {
      const RgbaPixel got = PixelAt(player.song.coverScaled, x, y);
      EXPECT_NEAR(got.r, want.r, 12);
      EXPECT_NEAR(got.b, want.b, 12);
      EXPECT_EQ(got.a, 255);
    }
    // Only the picture download carries the cache-busting query.
    const std::vector<std::string> targets = service.Targets();
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].rfind("/search?term=", 0), 0u);
    EXPECT_TRUE(std::regex_match(targets[1], std::regex(R"(/pic\?cb=[0-9]{11,16})"))) << targets[1];
  }
}

TEST_F(CoverUpdate, WhatIsNotAPictureCountsAsAFailureAndKeepsTheShownCover) {
  ServePicture(EncodePng(8, 8, Solid({0, 200, 0, 255})));
  UpdateCover(player, u"Blue Sky - Night Song");
  const Picture* shownImage = player.song.coverImage.get();
  const Picture* shownScaled = player.song.coverScaled.get();
  ASSERT_NE(shownScaled, nullptr);

  const std::string png = EncodePng(300, 200, Solid({1, 2, 3, 255}));
  const std::string jpeg = EncodeJpeg(300, 200, Solid({1, 2, 3, 255}));
  const struct {
    const char* name;
    std::optional<std::string> picture;  // nothing: the download fails
  } cases[] = {
      {"HTML error page", "<!DOCTYPE html><html><body><h1>404 Not Found</h1></body></html>"},
      {"empty body", ""},
      {"truncated PNG", png.substr(0, png.size() / 2)},
      {"truncated JPEG", jpeg.substr(0, jpeg.size() / 2)},
      {"failed download", std::nullopt},
  };
  int32_t failures = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.picture ? ServePicture(*c.picture) : service.Break("/pic");
    UpdateCover(player, u"Blue Sky - Night Song");
    EXPECT_EQ(player.song.coverFailCount, ++failures);
    EXPECT_EQ(player.song.coverImage.get(), shownImage);
    EXPECT_EQ(player.song.coverScaled.get(), shownScaled);
  }

  service.Serve("/search", "{}");  // no URL from either service
  UpdateCover(player, u"Blue Sky - Night Song");
  EXPECT_EQ(player.song.coverFailCount, ++failures);
  EXPECT_EQ(player.song.coverImage.get(), shownImage);
}

TEST_F(CoverUpdate, HowTheTextIsSplitForTheSearch) {
  ServePicture("not a picture");
  const struct {
    const char16_t* nowPlaying;
    const char* search;  // nullptr: nothing asked
  } cases[] = {
      {u"Night Song", "/search?term=+Night+Song&media=music&entity=song&limit=1"},
      {u"   ", "/search?term=+&media=music&entity=song&limit=1"},  // spaces are a title, normalised to nothing
      {u" - ", nullptr},
      {u"", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.nowPlaying));
    service.ClearRequests();
    deezer.ClearRequests();
    player.song.coverFailCount = 0;
    UpdateCover(player, c.nowPlaying);
    if (c.search == nullptr) {
      EXPECT_TRUE(service.Requests().empty());
      EXPECT_TRUE(deezer.Requests().empty());
      EXPECT_EQ(player.song.coverFailCount, 0);
    } else {
      ASSERT_FALSE(service.Targets().empty());
      EXPECT_EQ(service.Targets()[0], c.search);
      EXPECT_EQ(player.song.coverFailCount, 1);
    }
  }
}

}  // namespace
