// SPDX-License-Identifier: GPL-3.0-or-later
#include "search.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <regex>

#include "covers.h"

namespace station {

namespace {

// Decodes one UTF-8 sequence at s[i]; malformed bytes come back as
// themselves so the encoder still writes something for them.
uint32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto c = static_cast<uint8_t>(s[i]);
  const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (extra == 0 || i + extra >= s.size()) {
    ++i;
    return c;
  }
  uint32_t cp = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const auto cc = static_cast<uint8_t>(s[i + k]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return c;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  i += extra + 1;
  return cp;
}

void AppendPercent(std::string& out, unsigned byte) {
  char hex[4];
  std::snprintf(hex, sizeof hex, "%%%02X", byte & 0xFF);
  out += hex;
}

std::string SongSearchId(int index) { return std::to_string(1000 + index); }

}  // namespace

std::string PlayerUrlEncode(std::string_view utf8) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const size_t start = i;
    const uint32_t cp = NextCodePoint(utf8, i);
    if ((cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z')) {
      out.push_back(static_cast<char>(cp));
    } else if (cp == ' ') {
      out.push_back('+');
    } else if (cp <= 0xFF) {
      AppendPercent(out, cp);
    } else {
      for (size_t k = start; k < i; ++k) AppendPercent(out, static_cast<uint8_t>(utf8[k]));
    }
  }
  return out;
}

std::string ItunesQueryFor(const Song& song) {
  return "term=" + PlayerUrlEncode(song.searchArtist + " " + song.searchTitle) +
         "&media=music&entity=song&limit=1";
}

std::string DeezerQueryFor(const Song& song) {
  const std::string text =
      "artist:\"" + song.searchArtist + "\" track:\"" + song.searchTitle + "\"";
  return "q=" + PlayerUrlEncode(text) + "&limit=1";
}

std::optional<int> FindItunesSong(const std::vector<Song>& songs, std::string_view rawQuery) {
  for (size_t i = 0; i < songs.size(); ++i) {
    if (songs[i].cover.service == CoverService::Itunes && ItunesQueryFor(songs[i]) == rawQuery)
      return static_cast<int>(i);
  }
  return std::nullopt;
}

std::optional<int> FindDeezerSong(const std::vector<Song>& songs, std::string_view rawQuery) {
  for (size_t i = 0; i < songs.size(); ++i) {
    if (songs[i].cover.service == CoverService::Deezer && DeezerQueryFor(songs[i]) == rawQuery)
      return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string ItunesArtworkPath(int index, int sizePx, PictureFormat format) {
  return "/art/" + std::to_string(index + 1) + "/" + std::to_string(sizePx) + "x" +
         std::to_string(sizePx) + "bb." + PictureExtension(format);
}

std::string DeezerCoverPath(int index, int sizePx, PictureFormat format) {
  return "/cover/" + std::to_string(index + 1) + "/" + std::to_string(sizePx) + "x" +
         std::to_string(sizePx) + "." + PictureExtension(format);
}

std::string ItunesAnswer(const std::vector<Song>& songs, int index, const std::string& base) {
  using nlohmann::json;
  if (index < 0 || index >= static_cast<int>(songs.size()))
    return json{{"resultCount", 0}, {"results", json::array()}}.dump();
  const Song& s = songs[index];
  const PictureFormat f = s.cover.format;
  json track = {
      {"wrapperType", "track"},
      {"kind", "song"},
      {"artistId", 500 + index},
      {"collectionId", 700 + index},
      {"trackId", std::stoi(SongSearchId(index))},
      {"artistName", s.searchArtist},
      {"collectionName", s.searchTitle + " - Single"},
      {"trackName", s.searchTitle},
      {"artworkUrl30", base + ItunesArtworkPath(index, 30, f)},
      {"artworkUrl60", base + ItunesArtworkPath(index, 60, f)},
      {"artworkUrl100", base + ItunesArtworkPath(index, 100, f)},
      {"trackTimeMillis", 201000},
      {"country", "FRA"},
      {"currency", "EUR"},
      {"primaryGenreName", "Pop"},
      {"isStreamable", true},
  };
  return json{{"resultCount", 1}, {"results", json::array({track})}}.dump();
}

std::string DeezerAnswer(const std::vector<Song>& songs, int index, const std::string& base) {
  using nlohmann::json;
  if (index < 0 || index >= static_cast<int>(songs.size()))
    return json{{"data", json::array()}, {"total", 0}}.dump();
  const Song& s = songs[index];
  const PictureFormat f = s.cover.format;
  json album = {
      {"id", 700 + index},
      {"title", s.searchTitle},
      {"cover_small", base + DeezerCoverPath(index, 56, f)},
      {"cover_medium", base + DeezerCoverPath(index, 250, f)},
      {"cover_big", base + DeezerCoverPath(index, 500, f)},
      {"cover_xl", base + DeezerCoverPath(index, 1000, f)},
      {"md5_image", "0f3c" + SongSearchId(index)},
      {"type", "album"},
  };
  json track = {
      {"id", std::stoi(SongSearchId(index))},
      {"readable", true},
      {"title", s.searchTitle},
      {"title_short", s.searchTitle},
      {"duration", 201},
      {"rank", 400000},
      {"artist", {{"id", 500 + index}, {"name", s.searchArtist}, {"type", "artist"}}},
      {"album", album},
      {"type", "track"},
  };
  return json{{"data", json::array({track})}, {"total", 1}}.dump();
}

std::optional<PictureRequest> ParsePicturePath(const std::vector<Song>& songs, std::string_view path) {
  static const std::regex pattern(R"(^/(?:art|cover)/(\d{1,3})/(\d{1,4})x(\d{1,4})(?:bb)?\.(jpg|png)$)");
  std::match_results<std::string_view::const_iterator> m;
  if (!std::regex_match(path.begin(), path.end(), m, pattern)) return std::nullopt;
  const int index = std::stoi(m[1].str()) - 1;
  if (index < 0 || index >= static_cast<int>(songs.size())) return std::nullopt;
  const CoverRecipe& cover = songs[index].cover;
  if (cover.service == CoverService::None) return std::nullopt;
  if (m[4].str() != PictureExtension(cover.format)) return std::nullopt;
  const int w = std::stoi(m[2].str());
  const int h = std::stoi(m[3].str());
  PictureRequest r{index, cover.widthPx, cover.heightPx};
  // Thumbnails come at the asked size; large renditions at the song's own
  // size, so one song's picture is not square and others are not 600 wide.
  if (w > 0 && h > 0 && w <= 250 && h <= 250) {
    r.widthPx = w;
    r.heightPx = h;
  }
  return r;
}

}  // namespace station
