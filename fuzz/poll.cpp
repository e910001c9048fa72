// SPDX-License-Identifier: GPL-3.0-or-later
// A whole poll, as the player runs it: the statistics page, the status page,
// the two search services and the picture (the input's five parts; "<fail>"
// for a failed transfer), the picture decoded and rescaled; then a second
// poll, which may retry the cover.
#include "app/fonts.h"
#include "app/poll.h"
#include "cover/picture_checks.h"
#include "fuzz_support.h"
#include "model/layout.h"
#include "nowplaying/poll_decision.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = SplitParts(Bytes(data, size), 5);
  uint32_t nowMs = 0xFFFF0000u;  // the clock wraps during the first poll
  int requests = 0;
  Player player;
  player.playback.serverBase = u"http://station";
  player.config.itunesBase = "http://first";
  player.config.deezerBase = "http://second";
  player.clockMs = [&nowMs] { return nowMs; };
  player.httpGet = [&](const std::string& url, const FetchBounds& bounds) -> std::optional<std::string> {
    ++requests;
    nowMs += 1000;  // each answer takes a second
    Require(bounds.deadlineMs && int32_t(*bounds.deadlineMs - nowMs) < 30000, "every fetch has the poll's deadline");
    // Only a picture's address carries "cb=": in a search term "=" is encoded.
    const bool picture = url.find("cb=") != std::string::npos;
    Require((bounds.kind == FetchKind::Picture) == picture, "pictures are fetched as pictures, the rest as pages");
    if (picture) return PageOf(parts[4]);
    if (url.rfind("http://station/", 0) == 0) return PageOf(url.find("/stats") != std::string::npos ? parts[0] : parts[1]);
    Require(url.rfind("http://first/search?", 0) == 0 || url.rfind("http://second/search?", 0) == 0,
            "the station, the two services and the picture, nothing else");
    return PageOf(url.rfind("http://first/", 0) == 0 ? parts[2] : parts[3]);
  };
  ComputeLayout(player.look.layout, player.playback.volume);

  for (const uint32_t gapMs : {0u, uint32_t(kCoverRetryMs)}) {
    nowMs += gapMs;
    requests = 0;
    const int32_t failuresBefore = player.song.coverFailCount;
    PollNowPlaying(player);
    Require(requests <= 6, "three pages and three cover requests at most");
    CheckCleanedTitle(player.song.currentSong);
    Require(player.song.coverFailCount == 0 || player.song.coverFailCount <= failuresBefore + 1, "one failure per update at most");
    if (player.song.coverImage) {
      Require(PictureSizeAllowed({uint32_t(ImageWidth(player.song.coverImage)), uint32_t(ImageHeight(player.song.coverImage))}),
              "a cover within the picture bounds");
      Require(player.song.coverScaled && ImageWidth(player.song.coverScaled) == 250 && ImageHeight(player.song.coverScaled) == 250,
              "a cover has its 250 by 250 copy");
    }
  }
  FreeImage(player.song.coverImage);
  FreeImage(player.song.coverScaled);
  return 0;
}
