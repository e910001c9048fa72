// SPDX-License-Identifier: GPL-3.0-or-later
// The search services must answer the player's exact query strings, and
// only for the songs each of them knows.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "search.h"

namespace station {
namespace {

TEST(Search, EncodesLikeThePlayer) {
  const std::pair<std::string, std::string> cases[] = {
      {"Blue Sky", "Blue+Sky"},
      {"AC/DC & co", "AC%2FDC+%26+co"},
      {"Café", "Caf%E9"},  // one byte per code point up to U+00FF, not UTF-8
      {"artist:\"A\" track:\"B\"", "artist%3A%22A%22+track%3A%22B%22"},
      {"a-b.c_d~e*(f)'", "a%2Db%2Ec%5Fd%7Ee%2A%28f%29%27"},
      {"", ""},
  };
  for (const auto& [text, encoded] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(PlayerUrlEncode(text), encoded);
  }
}

TEST(Search, QueryStringsAreThePlayersOwn) {
  const Song song{"Blue Sky", "Night Song", "Blue Sky", "Night Song", "t.mp3", {}};
  EXPECT_EQ(ItunesQueryFor(song), "term=Blue+Sky+Night+Song&media=music&entity=song&limit=1");
  EXPECT_EQ(DeezerQueryFor(song), "q=artist%3A%22Blue+Sky%22+track%3A%22Night+Song%22&limit=1");
}

TEST(Search, EachServiceFindsOnlyItsOwnCovers) {
  const auto& songs = DemoPlaylist();
  int itunesSongs = 0, deezerSongs = 0, coverless = 0;
  for (int i = 0; i < static_cast<int>(songs.size()); ++i) {
    SCOPED_TRACE(songs[i].title);
    const auto service = songs[i].cover.service;
    const auto inItunes = FindItunesSong(songs, ItunesQueryFor(songs[i]));
    const auto inDeezer = FindDeezerSong(songs, DeezerQueryFor(songs[i]));
    EXPECT_EQ(inItunes.has_value(), service == CoverService::Itunes);
    EXPECT_EQ(inDeezer.has_value(), service == CoverService::Deezer);
    if (inItunes) {
      EXPECT_EQ(*inItunes, i);
    }
    if (inDeezer) {
      EXPECT_EQ(*inDeezer, i);
    }
    itunesSongs += service == CoverService::Itunes;
    deezerSongs += service == CoverService::Deezer;
    coverless += service == CoverService::None;
  }
  EXPECT_EQ(deezerSongs, 1);
  EXPECT_EQ(coverless, 1);
  EXPECT_GE(itunesSongs, 2);
  // The raw strings only: reordered or differently encoded queries find nothing.
  EXPECT_FALSE(FindItunesSong(songs, "media=music&term=Blue+Sky+Night+Song&entity=song&limit=1"));
  EXPECT_FALSE(FindItunesSong(songs, "term=Blue%20Sky%20Night%20Song&media=music&entity=song&limit=1"));
  EXPECT_FALSE(FindItunesSong(songs, ""));
}

TEST(Search, AnswersPointAtServedPictures) {
  const auto& songs = DemoPlaylist();
  const std::string base = "http://127.0.0.1:9";
  for (int i = 0; i < static_cast<int>(songs.size()); ++i) {
    const CoverRecipe& c = songs[i].cover;
    if (c.service == CoverService::None) continue;
    SCOPED_TRACE(songs[i].title);
    std::string url;
    if (c.service == CoverService::Itunes) {
      const auto answer = nlohmann::json::parse(ItunesAnswer(songs, i, base));
      EXPECT_EQ(answer["resultCount"], 1);
      url = answer["results"][0]["artworkUrl100"];
      EXPECT_NE(url.find("100x100"), std::string::npos);
      url.replace(url.find("100x100"), 7, "600x600");  // what the player asks for
    } else {
      const auto answer = nlohmann::json::parse(DeezerAnswer(songs, i, base));
      EXPECT_EQ(answer["total"], 1);
      url = answer["data"][0]["album"]["cover_xl"];
      EXPECT_TRUE(answer["data"][0]["album"]["cover_big"].is_string());
    }
    ASSERT_EQ(url.rfind(base, 0), 0u);
    const auto picture = ParsePicturePath(songs, url.substr(base.size()));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->index, i);
    EXPECT_EQ(picture->widthPx, c.widthPx);  // the song's own size, not the size in the URL
    EXPECT_EQ(picture->heightPx, c.heightPx);
  }
  EXPECT_EQ(nlohmann::json::parse(ItunesAnswer(songs, -1, base))["results"].size(), 0u);
  EXPECT_EQ(nlohmann::json::parse(DeezerAnswer(songs, -1, base))["data"].size(), 0u);
}

TEST(Search, PicturePathsOutsideThePlaylistAreRefused) {
  const auto& songs = DemoPlaylist();
  const auto thumb = ParsePicturePath(songs, "/art/1/100x100bb.jpg");
  ASSERT_TRUE(thumb);
  EXPECT_EQ(thumb->widthPx, 100);
  for (const char* path : {"/art/0/600x600bb.jpg", "/art/99/600x600bb.jpg", "/art/1/600x600bb.png",
                           "/art/5/600x600bb.jpg", "/art/1/600x600bb.jpg/..", "/art/1/99999x1bb.jpg",
                           "/art/x/600x600bb.jpg"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(ParsePicturePath(songs, path));
  }
}

}  // namespace
}  // namespace station
