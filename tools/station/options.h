// SPDX-License-Identifier: GPL-3.0-or-later
// Command line of the demo station: addresses, song length and the fault
// modes tests choose at start.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace station {

enum class StreamRefusal { None, NotFound, Unavailable, EmptyClose, Silent };
enum class PageFault { None, NotFound, NotJson, NoTitle, Empty, Silent };
enum class PictureFault { None, Html, NotFound, Truncated, Empty };

struct StationOptions {
  std::string host = "127.0.0.1";
  int streamPort = 18000;  // 0: any free port, printed at start
  int itunesPort = 18001;
  int deezerPort = 18002;
  std::string mediaDir;
  double songSeconds = 20;
  int firstSong = 0;
  int burstMs = 500;
  int metaintBytes = 16000;
  int maxListeners = 32;
  int playedSongs = 10;  // in the played list, the one on air included; 0: no such page
  double exitAfterSeconds = 0;  // 0: run until a signal
  bool dieWithParent = false;
  bool logRequests = true;

  // Stream faults, timed from each listener's connection.
  double dropStreamAfterSeconds = -1;
  double stallStreamAfterSeconds = -1;
  double stallSeconds = 5;
  StreamRefusal refuseStream = StreamRefusal::None;
  // One outage of the source, timed from the first listener's connection:
  // every listener dropped, new ones refused (503) until it is over.
  double outageAfterSeconds = -1;
  double outageSeconds = 8;

  // Content faults, active from faultsAfterSeconds after start.
  double faultsAfterSeconds = 0;
  PageFault statsFault = PageFault::None;
  PageFault statusFault = PageFault::None;
  PictureFault pictureFault = PictureFault::None;
  bool searchFault = false;  // both services answer an HTML error page
  std::vector<std::string> trickle;  // of "stats", "status", "search", "picture", "pages"
  int trickleBytesPerSecond = 32;
};

// Parses argv[1..]; nothing and an error text on a bad option.
std::optional<StationOptions> ParseStationOptions(const std::vector<std::string>& args,
                                                  std::string* error);

std::string StationUsage();

}  // namespace station
