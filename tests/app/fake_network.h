// SPDX-License-Identifier: GPL-3.0-or-later
// The station (statistics page and played list), the first search service
// and the picture host, in process, for tests that drive the poll with a
// clock they set. Deezer and the status pages never answer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/player_state.h"
#include "cover/test_pictures.h"

struct FakeNetwork {
  std::optional<std::string> songOnAir;   // nothing: the station does not answer
  std::optional<std::string> playedList;  // nothing: no such page
  bool coverFound = true;
  int listFetches = 0;
  std::vector<std::string> searched;  // requests to the first search service: one per cover lookup

  std::optional<std::string> Get(const std::string& url) {
    if (url == "http://station/stats?json=1") {
      if (!songOnAir) return std::nullopt;
      return R"({"songtitle":")" + *songOnAir + R"("})";
    }
    if (url == "http://station/played?sid=1&type=json") {
      ++listFetches;
      return playedList;
    }
    if (url.rfind("http://itunes/search?", 0) == 0) {
      searched.push_back(url);
      return coverFound ? R"({"results":[{"artworkUrl100":"http://pictures/c.png"}]})" : "{}";
    }
    if (url.rfind("http://pictures/c.png?cb=", 0) == 0) return EncodePng(4, 4, Solid({200, 0, 0, 255}));
    return std::nullopt;
  }

  // Points `player` at this network and at the test's clock.
  void Wire(Player& player, const uint32_t& nowMs) {
    player.playback.serverBase = u"http://station";
    player.config.itunesBase = "http://itunes";
    player.config.deezerBase = "http://deezer";
    player.httpGet = [this](const std::string& url, const FetchBounds&) { return Get(url); };
    player.clockMs = [&nowMs] { return nowMs; };
  }
};
