// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace station {

namespace {

constexpr const char* kServerName = "Orvelle Radio (demo)";
constexpr const char* kVersion = "2.6.1.777 (posix(linux x64))";

nlohmann::json CoverJson(const CoverRecipe& c) {
  char rgb[8];
  std::snprintf(rgb, sizeof rgb, "#%02X%02X%02X", c.red, c.green, c.blue);
  const char* service = c.service == CoverService::Itunes   ? "itunes"
                        : c.service == CoverService::Deezer ? "deezer"
                                                            : "none";
  if (c.service == CoverService::None) return {{"service", service}};
  return {{"service", service},
          {"format", c.format == PictureFormat::Png ? "png" : "jpeg"},
          {"width", c.widthPx},
          {"height", c.heightPx},
          {"rgb", rgb}};
}

nlohmann::json SongJson(const std::vector<Song>& songs, int index) {
  const Song& s = songs[index];
  return {{"index", index},
          {"songtitle", OnAirText(s)},
          {"artist", s.artist},
          {"title", s.title},
          {"track", s.trackFile},
          {"cover", CoverJson(s.cover)}};
}

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"fr\"><head><meta charset=\"utf-8\"><title>" + title +
         " - Orvelle Radio</title></head>\n<body><h1>" + title + "</h1>\n" + body +
         "\n<p><a href=\"/\">Accueil</a> | <a href=\"/top30.htm\">Top 30</a> | "
         "<a href=\"/podcast/\">Podcasts</a> | <a href=\"/forum/\">Forum</a></p></body></html>\n";
}

}  // namespace

std::string StatsJson(const ServerFigures& f) {
  nlohmann::json stream = {
      {"id", 1},
      {"currentlisteners", f.currentListeners},
      {"peaklisteners", f.peakListeners},
      {"maxlisteners", f.maxListeners},
      {"uniquelisteners", f.uniqueListeners},
      {"averagetime", 0},
      {"servergenre", "Pop"},
      {"servergenre2", ""},
      {"servergenre3", ""},
      {"servergenre4", ""},
      {"servergenre5", ""},
      {"serverurl", "http://127.0.0.1/"},
      {"servertitle", kServerName},
      {"songtitle", f.songTitle},
      {"streamhits", f.streamHits},
      {"streamstatus", 1},
      {"backupstatus", 0},
      {"streamlisted", 0},
      {"streamlistederror", 0},
      {"streampath", "/;stream/1"},
      {"streamuptime", f.uptimeSeconds},
      {"bitrate", std::to_string(f.bitrateKbps)},
      {"samplerate", std::to_string(f.sampleRateHz)},
      {"content", "audio/mpeg"},
  };
  nlohmann::json root = {
      {"totalstreams", 1},
      {"activestreams", 1},
      {"currentlisteners", f.currentListeners},
      {"peaklisteners", f.peakListeners},
      {"maxlisteners", f.maxListeners},
      {"uniquelisteners", f.uniqueListeners},
      {"averagetime", 0},
      {"version", kVersion},
      {"songtitle", f.songTitle},
      {"streams", nlohmann::json::array({stream})},
  };
  return root.dump();
}

std::string SevenHtml(const ServerFigures& f) {
  return "<HTML><meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\"></head><body>" +
         std::to_string(f.currentListeners) + ",1," + std::to_string(f.peakListeners) + "," +
         std::to_string(f.maxListeners) + "," + std::to_string(f.uniqueListeners) + "," +
         std::to_string(f.bitrateKbps) + "," + f.songTitle + "</body></html>";
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string StationWebPage(const std::string& path, const std::vector<Song>& songs) {
  if (path == "/") {
    return Page("Orvelle Radio",
                "<p>La radio de démonstration d'Orvelle Player, en direct sur "
                "<a href=\"/;stream/1\">/;stream/1</a>.</p>");
  }
  if (path == "/top30.htm") {
    std::string list = "<ol>";
    for (int rank = 0; rank < 30; ++rank) {
      list += "<li>" + HtmlEscape(OnAirText(songs[rank % songs.size()])) + "</li>";
    }
    return Page("Top 30", list + "</ol>");
  }
  if (path == "/podcast/") {
    return Page("Podcasts", "<p>Les émissions à réécouter arrivent bientôt.</p>");
  }
  if (path == "/forum/") {
    return Page("Forum", "<p>Le forum des auditeurs : aucun message pour l'instant.</p>");
  }
  return {};
}

std::string NowJson(const std::vector<Song>& songs, const OnAirState& state) {
  nlohmann::json j = SongJson(songs, state.index);
  j["elapsedMs"] = state.elapsedMs;
  j["remainingMs"] = state.remainingMs;
  j["songMs"] = state.songMs;
  return j.dump();
}

std::string PlayedJson(const std::vector<Song>& songs, const std::vector<PlayedEntry>& played) {
  nlohmann::json list = nlohmann::json::array();
  for (const PlayedEntry& e : played) list.push_back({{"playedat", e.playedAtS}, {"title", OnAirText(songs[e.index])}});
  return list.dump();
}

std::string PlaylistJson(const std::vector<Song>& songs) {
  nlohmann::json list = nlohmann::json::array();
  for (int i = 0; i < static_cast<int>(songs.size()); ++i) list.push_back(SongJson(songs, i));
  return nlohmann::json{{"songs", list}}.dump();
}

}  // namespace station
