// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

namespace station {

namespace {

bool ParseNumber(const std::string& text, double minValue, double maxValue, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v) || v < minValue || v > maxValue) return false;
  out = v;
  return true;
}

bool ParseInt(const std::string& text, int minValue, int maxValue, int& out) {
  double v = 0;
  if (!ParseNumber(text, minValue, maxValue, v) || v != std::floor(v)) return false;
  out = static_cast<int>(v);
  return true;
}

template <typename E>
bool ParseChoice(const std::string& text, const std::map<std::string, E>& choices, E& out) {
  auto it = choices.find(text);
  if (it == choices.end()) return false;
  out = it->second;
  return true;
}

std::vector<std::string> SplitComma(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, ',')) parts.push_back(part);
  return parts;
}

}  // namespace

std::string StationUsage() {
  return R"(usage: orvelle-station [options]
  --host ADDR               address to listen on (127.0.0.1)
  --port N                  stream server: stream, status pages, web pages (18000; 0 = any)
  --itunes-port N           first search service and its pictures (18001; 0 = any)
  --deezer-port N           second search service and its pictures (18002; 0 = any)
  --media-dir DIR           folder of the playlist's MP3 files
  --song-seconds S          how long each song stays on air (20)
  --first-song K            index of the song on air at start (0)
  --burst-ms MS             audio sent at once to a new listener (500)
  --metaint N               bytes between in-band titles (16000; 0 = never)
  --max-listeners N         stream connections at once; more get 503 (32)
  --played N                songs in the played list, the one on air first (10; 0 = no list)
  --exit-after S            stop by itself after S seconds (0 = never)
  --die-with-parent         stop when the process that started it ends
  --quiet                   do not print each request
 stream faults, timed from each connection:
  --drop-stream-after S     close the stream S seconds after it began
  --stall-stream-after S    stop sending S seconds after it began...
  --stall-seconds N         ...for N seconds, then resume live (5)
  --refuse-stream MODE      404 | 503 | empty (headers, then close) | silent (no answer for
                            --stall-seconds, then 503)
  --outage-after S          S seconds after the first listener connected, the source goes
                            away once: listeners dropped, new ones refused (503)...
  --outage-seconds N        ...for N seconds, then it is back (8)
 content faults, from --faults-after seconds after start (0):
  --faults-after S
  --stats-fault MODE        404 | notjson | notitle | empty | silent (no answer for
                            --stall-seconds, then 503), for "/stats?json=1"
  --status-fault MODE       the same, for "/7.html"
  --picture-fault MODE      html | 404 | truncated | empty, for every cover picture
  --search-fault            both search services answer an HTML error page
  --trickle LIST            send these answers slowly: stats,status,pages,search,picture
  --trickle-rate N          bytes per second of a trickled answer (32)
)";
}

std::optional<StationOptions> ParseStationOptions(const std::vector<std::string>& args,
                                                  std::string* error) {
  StationOptions o;
  const std::map<std::string, StreamRefusal> refusals = {{"404", StreamRefusal::NotFound},
                                                         {"503", StreamRefusal::Unavailable},
                                                         {"empty", StreamRefusal::EmptyClose},
                                                         {"silent", StreamRefusal::Silent}};
  const std::map<std::string, PageFault> pageFaults = {{"404", PageFault::NotFound},
                                                       {"notjson", PageFault::NotJson},
                                                       {"notitle", PageFault::NoTitle},
                                                       {"empty", PageFault::Empty},
                                                       {"silent", PageFault::Silent}};
  const std::map<std::string, PictureFault> pictureFaults = {{"html", PictureFault::Html},
                                                             {"404", PictureFault::NotFound},
                                                             {"truncated", PictureFault::Truncated},
                                                             {"empty", PictureFault::Empty}};
  const auto fail = [&](const std::string& why) -> std::optional<StationOptions> {
    if (error) *error = why;
    return std::nullopt;
  };
  constexpr double kDay = 86400;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    // Flags without a value first.
    if (name == "--die-with-parent") { o.dieWithParent = true; continue; }
    if (name == "--quiet") { o.logRequests = false; continue; }
    if (name == "--search-fault") { o.searchFault = true; continue; }
    if (i + 1 >= args.size()) return fail(name + ": unknown option or missing value");
    const std::string& v = args[++i];
    bool ok = true;
    if (name == "--host") o.host = v;
    else if (name == "--port") ok = ParseInt(v, 0, 65535, o.streamPort);
    else if (name == "--itunes-port") ok = ParseInt(v, 0, 65535, o.itunesPort);
    else if (name == "--deezer-port") ok = ParseInt(v, 0, 65535, o.deezerPort);
    else if (name == "--media-dir") o.mediaDir = v;
    else if (name == "--song-seconds") ok = ParseNumber(v, 0.5, kDay, o.songSeconds);
    else if (name == "--first-song") ok = ParseInt(v, 0, 1000, o.firstSong);
    else if (name == "--burst-ms") ok = ParseInt(v, 0, 10000, o.burstMs);
    else if (name == "--metaint") ok = ParseInt(v, 0, 1 << 20, o.metaintBytes);
    else if (name == "--max-listeners") ok = ParseInt(v, 1, 1000, o.maxListeners);
    else if (name == "--played") ok = ParseInt(v, 0, 1000, o.playedSongs);
    else if (name == "--exit-after") ok = ParseNumber(v, 0, kDay, o.exitAfterSeconds);
    else if (name == "--drop-stream-after") ok = ParseNumber(v, 0, kDay, o.dropStreamAfterSeconds);
    else if (name == "--stall-stream-after") ok = ParseNumber(v, 0, kDay, o.stallStreamAfterSeconds);
    else if (name == "--stall-seconds") ok = ParseNumber(v, 0, 600, o.stallSeconds);
    else if (name == "--refuse-stream") ok = ParseChoice(v, refusals, o.refuseStream);
    else if (name == "--outage-after") ok = ParseNumber(v, 0, kDay, o.outageAfterSeconds);
    else if (name == "--outage-seconds") ok = ParseNumber(v, 0, 600, o.outageSeconds);
    else if (name == "--faults-after") ok = ParseNumber(v, 0, kDay, o.faultsAfterSeconds);
    else if (name == "--stats-fault") ok = ParseChoice(v, pageFaults, o.statsFault);
    else if (name == "--status-fault") ok = ParseChoice(v, pageFaults, o.statusFault);
    else if (name == "--picture-fault") ok = ParseChoice(v, pictureFaults, o.pictureFault);
    else if (name == "--trickle-rate") ok = ParseInt(v, 1, 1 << 20, o.trickleBytesPerSecond);
    else if (name == "--trickle") {
      o.trickle = SplitComma(v);
      for (const auto& t : o.trickle) {
        if (t != "stats" && t != "status" && t != "pages" && t != "search" && t != "picture")
          ok = false;
      }
    } else {
      return fail(name + ": unknown option");
    }
    if (!ok) return fail(name + ": bad value '" + v + "'");
  }
  return o;
}

}  // namespace station
