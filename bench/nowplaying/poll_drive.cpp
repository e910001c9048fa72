// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one now-playing poll against a station, as the player does at start-up,
// and prints how long it held the thread and what it found:
//   poll_drive http://127.0.0.1:18000 http://127.0.0.1:18001 http://127.0.0.1:18002
// Against `orvelle-station --trickle stats,status,search,picture` it shows the
// poll's budgets at work; peak memory is GNU time's.
#include <chrono>
#include <cstdio>

#include "app/poll.h"
#include "model/layout.h"
#include "nowplaying/http_get.h"
#include "os/os.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: poll_drive STATION_BASE FIRST_SEARCH_BASE SECOND_SEARCH_BASE\n");
    return 2;
  }
  InitHttp();
  Player player;
  player.playback.serverBase = T(argv[1]);
  player.config.itunesBase = argv[2];
  player.config.deezerBase = argv[3];
  player.clockMs = MonotonicMs;
  player.httpGet = BoundedHttpGet(MonotonicMs, {});
  ComputeLayout(player.look.layout, player.playback.volume);
  const auto start = std::chrono::steady_clock::now();
  PollNowPlaying(player);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("poll held the thread %.1f s; title \"%s\"; cover %s\n", took.count(),
              TextToUtf8(player.song.currentSong).c_str(), player.song.coverScaled ? "shown" : "none");
  FreeImage(player.song.coverImage);
  FreeImage(player.song.coverScaled);
  CleanUpHttp();
  return 0;
}
