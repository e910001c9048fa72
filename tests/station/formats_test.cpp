// SPDX-License-Identifier: GPL-3.0-or-later
// Byte formats the station produces: MP3 framing, in-band titles, the
// on-air clock and the server's pages.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "icy.h"
#include "mp3_frames.h"
#include "options.h"
#include "pages.h"
#include "timeline.h"

namespace station {
namespace {

// A 128 kbit/s 44.1 kHz MPEG-1 Layer III frame of the given padding, filled
// with a byte that can never start a header.
std::string Frame(bool padded, char fill = 0x11) {
  std::string f(padded ? 418 : 417, fill);
  f[0] = '\xFF';
  f[1] = '\xFB';
  f[2] = static_cast<char>(0x90 | (padded ? 0x02 : 0));
  f[3] = '\x64';
  return f;
}

TEST(Mp3Frames, HeaderSizes) {
  struct Case { std::string bytes; int frameBytes; };  // 0: not a header
  const Case cases[] = {
      {"\xFF\xFB\x90\x64", 417},  // 128 kbit/s, 44.1 kHz
      {"\xFF\xFB\x92\x64", 418},  // padded
      {"\xFF\xFB\x94\x64", 384},  // 48 kHz
      {"\xFF\xF3\x90\x64", 261},  // MPEG-2: 80 kbit/s, 22.05 kHz, 576 samples
      {std::string("\xFF\xFB\x00\x64", 4), 0},  // free format
      {"\xFF\xFB\xF0\x64", 0},    // bad bitrate
      {"\xFF\xFB\x9C\x64", 0},    // reserved rate
      {"\xFF\xFD\x90\x64", 0},    // Layer II
      {"\xFE\xFB\x90\x64", 0},    // no sync
      {"\xFF\xFB", 0},            // short
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    auto h = ParseMp3FrameHeader(c.bytes);
    if (c.frameBytes == 0) {
      EXPECT_FALSE(h);
    } else {
      ASSERT_TRUE(h);
      EXPECT_EQ(h->frameBytes, c.frameBytes);
    }
  }
}

TEST(Mp3Frames, SkipsTagJunkAndXingFrame) {
  std::string id3 = std::string("ID3\x04\x00\x00\x00\x00\x00\x05", 10) + "abcde";
  std::string xing = Frame(false, 0);
  xing.replace(36, 4, "Xing");
  // A false sync in the junk: a header not followed by another frame.
  std::string junk = std::string("\xFF\xFB\x90\x64", 4) + "zz";
  std::string file = id3 + xing + junk + Frame(false) + Frame(true) + Frame(false);
  std::string error;
  Mp3Track t = SplitMp3Frames(file, &error);
  ASSERT_EQ(t.frames.size(), 3u) << error;
  EXPECT_EQ(t.frames[1], Frame(true));
  EXPECT_EQ(t.sampleRateHz, 44100);
  EXPECT_EQ(t.samplesPerFrame, 1152);

  EXPECT_TRUE(SplitMp3Frames("not an mp3 file at all", &error).frames.empty());
  EXPECT_FALSE(error.empty());
}

TEST(Icy, BlockIsPaddedToSixteenBytes) {
  const std::string block = IcyMetadataBlock("A - B");
  ASSERT_EQ(block.size(), 1u + 32u);  // "StreamTitle='A - B';" is 20 bytes
  EXPECT_EQ(block[0], 2);
  EXPECT_EQ(block.substr(1, 20), "StreamTitle='A - B';");
  EXPECT_EQ(block.substr(21), std::string(12, '\0'));
  const std::string huge = IcyMetadataBlock(std::string(10000, 'x'));
  EXPECT_EQ(huge.size(), 1u + 255u * 16u);
  EXPECT_EQ(huge.substr(huge.size() - 2), "';");
}

TEST(Icy, BlocksFallEveryMetaintBytesWhateverTheChunks) {
  IcyInterleaver icy(10);
  std::string out;
  const std::string audio(7, 'a');
  for (int i = 0; i < 6; ++i) icy.Append(audio, i < 2 ? "One" : "Two", out);  // 42 audio bytes
  // The title of the audio just before each block: full when new, else a zero byte.
  size_t pos = 0;
  const auto expect = [&](const std::string& part) {
    EXPECT_EQ(out.substr(pos, part.size()), part) << "at " << pos;
    pos += part.size();
  };
  const std::string tenBytes(10, 'a');
  expect(tenBytes);
  expect(IcyMetadataBlock("One"));
  expect(tenBytes);
  expect(IcyMetadataBlock("Two"));
  expect(tenBytes);
  expect(std::string(1, '\0'));
  expect(tenBytes);
  expect(std::string(1, '\0'));
  expect("aa");
  EXPECT_EQ(pos, out.size());

  IcyInterleaver plain(0);
  std::string raw;
  plain.Append(audio, "One", raw);
  EXPECT_EQ(raw, audio);
}

TEST(Timeline, FramesFollowTheSongClock) {
  SongClock clock{1'000'000, 3, 5};  // 1 s songs, song 3 on air at the origin
  FrameTiming timing;
  const std::vector<size_t> trackFrames = {7, 9, 11, 13, 15};
  EXPECT_EQ(clock.SongAt(-1), 2);
  EXPECT_EQ(clock.SongAt(0), 3);
  EXPECT_EQ(clock.SongAt(2'500'000), 0);
  int64_t previousSlot = clock.SlotAt(timing.FrameStartUs(-61));
  size_t previousFrame = FrameContent(clock, timing, trackFrames, -61).trackFrame;
  for (int64_t k = -60; k < 200; ++k) {
    SCOPED_TRACE(k);
    const FrameSource src = FrameContent(clock, timing, trackFrames, k);
    const int64_t slot = clock.SlotAt(timing.FrameStartUs(k));
    EXPECT_EQ(src.song, clock.SongOfSlot(slot));
    if (slot != previousSlot) {
      EXPECT_EQ(src.trackFrame, 0u);  // each song starts at its beginning
    } else {
      EXPECT_EQ(src.trackFrame, (previousFrame + 1) % trackFrames[src.song]);  // and loops
    }
    previousSlot = slot;
    previousFrame = src.trackFrame;
    // Start times are whole microseconds rounded down, before or after the origin.
    EXPECT_EQ(timing.FrameAt(timing.FrameStartUs(k) + 1), k);
  }
  EXPECT_EQ(timing.FrameAt(1'000'000), 38);  // 26.12 ms frames
}

TEST(Pages, StatsAndStatusPageCarryTheTitle) {
  ServerFigures f;
  f.songTitle = "Les Ondes Vertes - Carré Magique";
  f.currentListeners = 2;
  f.peakListeners = 3;
  f.maxListeners = 32;
  f.uniqueListeners = 1;
  const auto stats = nlohmann::json::parse(StatsJson(f));
  EXPECT_EQ(stats["songtitle"], f.songTitle);
  EXPECT_EQ(stats["streams"][0]["songtitle"], f.songTitle);
  EXPECT_EQ(stats["streams"][0]["currentlisteners"], 2);
  EXPECT_EQ(stats["streams"][0]["bitrate"], "128");

  const std::string page = SevenHtml(f);
  const auto open = page.find("<body>");
  const auto close = page.find("</body>");
  ASSERT_NE(open, std::string::npos);
  ASSERT_NE(close, std::string::npos);
  EXPECT_EQ(page.substr(open + 6, close - open - 6), "2,1,3,32,1,128," + f.songTitle);
  EXPECT_EQ(page.rfind("<HTML><meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\"></head>", 0), 0u);
}

TEST(Options, ParsesAndRejects) {
  std::string error;
  auto o = ParseStationOptions({"--port", "0", "--song-seconds", "2.5", "--refuse-stream", "404",
                                "--trickle", "stats,picture", "--search-fault", "--quiet"},
                               &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->streamPort, 0);
  EXPECT_DOUBLE_EQ(o->songSeconds, 2.5);
  EXPECT_EQ(o->refuseStream, StreamRefusal::NotFound);
  EXPECT_EQ(o->trickle, (std::vector<std::string>{"stats", "picture"}));
  EXPECT_TRUE(o->searchFault);
  EXPECT_FALSE(o->logRequests);

  const std::vector<std::vector<std::string>> bad = {
      {"--port", "70000"}, {"--port"}, {"--song-seconds", "0"}, {"--song-seconds", "nan"},
      {"--stats-fault", "teapot"}, {"--trickle", "stats,stream"}, {"--bogus", "1"},
      {"--first-song", "1.5"}};
  for (const auto& args : bad) {
    SCOPED_TRACE(testing::PrintToString(args));
    error.clear();
    EXPECT_FALSE(ParseStationOptions(args, &error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace station
