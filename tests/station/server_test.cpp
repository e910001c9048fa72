// SPDX-License-Identifier: GPL-3.0-or-later
// The running station on free ports: what a player reads from it, how fast
// the stream comes, and each fault mode.
#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <thread>

#include "search.h"
#include "station.h"

namespace station {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

std::unique_ptr<Station> StartStation(StationOptions o) {
  o.streamPort = o.itunesPort = o.deezerPort = 0;
  o.logRequests = false;
  std::vector<Mp3Track> tracks;
  std::string error;
  if (!LoadTracks(ORVELLE_STATION_MEDIA_DIR, DemoPlaylist(), tracks, &error)) {
    ADD_FAILURE() << error;
    return nullptr;
  }
  auto st = std::make_unique<Station>(o, DemoPlaylist(), std::move(tracks));
  if (!st->Start(&error)) {
    ADD_FAILURE() << error;
    return nullptr;
  }
  return st;
}

httplib::Client ClientFor(int port) {
  httplib::Client c("127.0.0.1", port);
  c.set_connection_timeout(2);
  c.set_read_timeout(5);
  c.set_url_encode(false);  // send targets exactly as the player would
  return c;
}

std::string Body(int port, const std::string& target, int* status = nullptr) {
  auto c = ClientFor(port);
  auto res = c.Get(target.c_str());
  if (!res) return "<no answer>";
  if (status) *status = res->status;
  return res->body;
}

struct StreamRead {
  std::string bytes;
  std::string icyMetaint;
  bool endedByServer = false;
  double seconds = 0;
};

// Reads the stream for at most seconds; the server may end it earlier.
StreamRead ReadStream(int port, double seconds, bool icy = false) {
  StreamRead r;
  auto c = ClientFor(port);
  httplib::Headers headers;
  if (icy) headers.emplace("Icy-MetaData", "1");
  const auto start = Clock::now();
  auto res = c.Get(
      "/;stream/1", headers,
      [&](const httplib::Response& head) {
        r.icyMetaint = head.get_header_value("icy-metaint");
        return true;
      },
      [&](const char* data, size_t n) {
        r.bytes.append(data, n);
        return SecondsSince(start) < seconds;
      });
  r.seconds = SecondsSince(start);
  r.endedByServer = res && res->status == 200;
  return r;
}

TEST(StationServer, PagesFollowTheSongOnAir) {
  StationOptions o;
  o.songSeconds = 1.5;
  o.firstSong = 1;
  auto st = StartStation(o);
  ASSERT_TRUE(st);
  const auto& songs = DemoPlaylist();
  const auto now = nlohmann::json::parse(Body(st->StreamPort(), "/now"));
  const int index = now["index"];
  const std::string title = now["songtitle"];
  const auto stats = nlohmann::json::parse(Body(st->StreamPort(), "/stats?json=1"));
  // Unless the song changed between the two requests.
  if (stats["songtitle"] == title) {
    EXPECT_EQ(stats["streams"][0]["songtitle"], title);
  }
  EXPECT_EQ(title, OnAirText(songs[index]));
  std::this_thread::sleep_for(std::chrono::milliseconds(int(now["remainingMs"]) + 100));
  const std::string next = OnAirText(songs[(index + 1) % songs.size()]);
  EXPECT_EQ(nlohmann::json::parse(Body(st->StreamPort(), "/stats?json=1"))["songtitle"], next);
  for (const char* page : {"/7.html", "/7.html?sid=1"}) {
    EXPECT_NE(Body(st->StreamPort(), page).find(",128," + next + "</body>"), std::string::npos) << page;
  }
  for (const char* page : {"/", "/top30.htm", "/podcast/", "/forum/"}) {
    int status = 0;
    EXPECT_NE(Body(st->StreamPort(), page, &status).find("<html"), std::string::npos) << page;
    EXPECT_EQ(status, 200) << page;
  }
  int status = 0;
  Body(st->StreamPort(), "/nothing-here", &status);
  EXPECT_EQ(status, 404);
}

TEST(StationServer, CoverOfEverySongAsThePlayerFetchesIt) {
  auto st = StartStation({});
  ASSERT_TRUE(st);
  const auto& songs = DemoPlaylist();
  for (const Song& song : songs) {
    SCOPED_TRACE(song.title);
    const auto itunes = nlohmann::json::parse(Body(st->ItunesPort(), "/search?" + ItunesQueryFor(song)));
    const auto deezer = nlohmann::json::parse(Body(st->DeezerPort(), "/search?" + DeezerQueryFor(song)));
    std::string url;
    if (!itunes["results"].empty()) {
      url = itunes["results"][0]["artworkUrl100"];
      url.replace(url.find("100x100"), 7, "600x600");
    } else if (!deezer["data"].empty()) {
      url = deezer["data"][0]["album"]["cover_xl"];
    }
    if (song.cover.service == CoverService::None) {
      EXPECT_EQ(url, "");
      continue;
    }
    ASSERT_NE(url, "");
    const int port = song.cover.service == CoverService::Itunes ? st->ItunesPort() : st->DeezerPort();
    const std::string prefix = "http://127.0.0.1:" + std::to_string(port);
    ASSERT_EQ(url.rfind(prefix, 0), 0u) << url;
    const std::string picture = Body(port, url.substr(prefix.size()) + "?cb=17000000001234");
    if (song.cover.format == PictureFormat::Png) {
      ASSERT_EQ(picture.substr(1, 3), "PNG");
      // IHDR width and height, big-endian, at bytes 16 and 20.
      const auto be32 = [&](size_t at) {
        return (uint8_t(picture[at]) << 24) | (uint8_t(picture[at + 1]) << 16) |
               (uint8_t(picture[at + 2]) << 8) | uint8_t(picture[at + 3]);
      };
      EXPECT_EQ(be32(16), song.cover.widthPx);
      EXPECT_EQ(be32(20), song.cover.heightPx);
    } else {
      EXPECT_EQ(picture.substr(0, 3), "\xFF\xD8\xFF");
    }
  }
}

TEST(StationServer, StreamComesAtRealTimePaceWithTitles) {
  StationOptions o;
  o.metaintBytes = 4000;
  auto st = StartStation(o);
  ASSERT_TRUE(st);
  const StreamRead r = ReadStream(st->StreamPort(), 2.0, true);
  ASSERT_EQ(r.icyMetaint, "4000");
  // 128 kbit/s is 16000 bytes a second, plus the burst (short: the station
  // has just started) and the titles.
  const double expected = 16000 * r.seconds;
  EXPECT_GT(r.bytes.size(), expected * 0.75);
  EXPECT_LT(r.bytes.size(), expected * 1.25);
  // The first block after 4000 audio bytes names the song on air.
  ASSERT_GT(r.bytes.size(), 4001u);
  const size_t blockBytes = uint8_t(r.bytes[4000]) * 16;
  const std::string block = r.bytes.substr(4001, blockBytes);
  EXPECT_EQ(block.rfind("StreamTitle='" + OnAirText(DemoPlaylist()[0]) + "';", 0), 0u) << block;
  EXPECT_EQ(uint8_t(r.bytes[0]), 0xFF);  // a frame starts the stream
}

TEST(StationServer, ListenersAreCountedAndBounded) {
  StationOptions o;
  o.maxListeners = 1;
  auto st = StartStation(o);
  ASSERT_TRUE(st);
  std::thread first([&] { ReadStream(st->StreamPort(), 1.5); });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const auto stats = nlohmann::json::parse(Body(st->StreamPort(), "/stats?json=1"));
  EXPECT_EQ(stats["currentlisteners"], 1);
  int status = 0;
  Body(st->StreamPort(), "/;stream/1", &status);
  EXPECT_EQ(status, 503);
  first.join();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(nlohmann::json::parse(Body(st->StreamPort(), "/stats?json=1"))["currentlisteners"], 0);
}

TEST(StationServer, StreamFaults) {
  {
    SCOPED_TRACE("drop");
    StationOptions o;
    o.dropStreamAfterSeconds = 1;
    auto st = StartStation(o);
    ASSERT_TRUE(st);
    const StreamRead r = ReadStream(st->StreamPort(), 5);
    EXPECT_LT(r.seconds, 2.5);
    EXPECT_GT(r.bytes.size(), 16000u);
  }
  {
    SCOPED_TRACE("stall");
    StationOptions o;
    o.stallStreamAfterSeconds = 0.5;
    o.stallSeconds = 1.5;
    o.burstMs = 0;
    auto st = StartStation(o);
    ASSERT_TRUE(st);
    // About 0.5 s of audio, nothing for 1.5 s, then live again for 0.5 s.
    const StreamRead r = ReadStream(st->StreamPort(), 2.5);
    EXPECT_LT(r.bytes.size(), 16000u * 1.6);
    EXPECT_GT(r.bytes.size(), 16000u * 0.6);
  }
  {
    SCOPED_TRACE("outage");
    StationOptions o;
    o.outageAfterSeconds = 1;
    o.outageSeconds = 1.5;
    auto st = StartStation(o);
    ASSERT_TRUE(st);
    const auto start = Clock::now();
    EXPECT_LT(ReadStream(st->StreamPort(), 5).seconds, 2.5) << "dropped when the source went away";
    EXPECT_LT(ReadStream(st->StreamPort(), 0.5).bytes.size(), 1000u) << "refused while it is away";
    std::this_thread::sleep_for(std::chrono::duration<double>(2.6 - SecondsSince(start)));
    EXPECT_GT(ReadStream(st->StreamPort(), 1).bytes.size(), 16000u) << "back after the outage";
  }
  const std::pair<StreamRefusal, int> refusals[] = {
      {StreamRefusal::NotFound, 404}, {StreamRefusal::Unavailable, 503}, {StreamRefusal::EmptyClose, 200}};
  for (const auto& [mode, status] : refusals) {
    SCOPED_TRACE(status);
    StationOptions o;
    o.refuseStream = mode;
    auto st = StartStation(o);
    ASSERT_TRUE(st);
    auto c = ClientFor(st->StreamPort());
    auto res = c.Get("/;stream/1");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, status);
    if (mode == StreamRefusal::EmptyClose) {
      EXPECT_EQ(res->body, "");
    }
    // The pages still answer.
    EXPECT_NE(Body(st->StreamPort(), "/7.html").find("128,"), std::string::npos);
  }
}

TEST(StationServer, ContentFaultsStartWhenAsked) {
  StationOptions o;
  o.faultsAfterSeconds = 1;
  o.statsFault = PageFault::NotJson;
  o.statusFault = PageFault::NotFound;
  o.pictureFault = PictureFault::Html;
  auto st = StartStation(o);
  ASSERT_TRUE(st);
  const int port = st->StreamPort();
  EXPECT_TRUE(nlohmann::json::accept(Body(port, "/stats?json=1")));
  EXPECT_EQ(Body(st->ItunesPort(), "/art/1/600x600bb.jpg").substr(0, 2), "\xFF\xD8");
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_FALSE(nlohmann::json::accept(Body(port, "/stats?json=1")));
  int status = 0;
  const std::string page = Body(port, "/7.html?sid=1", &status);
  EXPECT_EQ(status, 404);
  EXPECT_EQ(page.find("StreamTitle"), std::string::npos);
  EXPECT_NE(Body(st->ItunesPort(), "/art/1/600x600bb.jpg").find("<html>"), std::string::npos);
}

TEST(StationServer, TrickledAnswerIsSlowButWhole) {
  StationOptions o;
  o.trickle = {"stats"};
  o.trickleBytesPerSecond = 400;
  auto st = StartStation(o);
  ASSERT_TRUE(st);
  const std::string fast = Body(st->StreamPort(), "/7.html");
  const auto start = Clock::now();
  const std::string slow = Body(st->StreamPort(), "/stats?json=1");
  const double seconds = SecondsSince(start);
  EXPECT_TRUE(nlohmann::json::accept(slow));
  EXPECT_GT(seconds, slow.size() / 400.0 * 0.7);  // about 1000 bytes: some 2.5 s
}

TEST(StationServer, StopsPromptlyWithListenersConnected) {
  auto st = StartStation({});
  ASSERT_TRUE(st);
  StreamRead r;
  std::thread listener([&] { r = ReadStream(st->StreamPort(), 30); });
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const auto start = Clock::now();
  st->Stop();
  EXPECT_LT(SecondsSince(start), 2.0);
  listener.join();
  EXPECT_LT(r.seconds, 3.0);
}

}  // namespace
}  // namespace station
