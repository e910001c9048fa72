// SPDX-License-Identifier: GPL-3.0-or-later
// A local station for the engine benchmark: loops an audio file at the
// real-time pace on 127.0.0.1 until stopped, and prints its URL. Optionally
// it turns into NUL bytes after some audio, as fast as asked, gzip-encoded or not.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "station_server.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: %s FILE FILE_SECONDS CONTENT_TYPE [BURST_SECONDS [NULS_AFTER_BYTES [NULS_PER_SECOND "
                 "[gzip]]]]\n",
                 argv[0]);
    return 2;
  }
  std::signal(SIGTERM, RequestStop);
  std::signal(SIGINT, RequestStop);
  orvelle::test::StationServer station({.audioPath = argv[1],
                                        .fileSeconds = std::atof(argv[2]),
                                        .contentType = argv[3],
                                        .burstSeconds = argc > 4 ? std::atof(argv[4]) : 0.0,
                                        .junkAfterBytes = argc > 5 ? std::atol(argv[5]) : -1,
                                        .junkBytesPerSecond = argc > 6 ? std::atof(argv[6]) : 16e6,
                                        .gzip = argc > 7 && std::string(argv[7]) == "gzip"});
  std::printf("%s\n", station.url().c_str());
  std::fflush(stdout);
  while (!stopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return 0;
}
