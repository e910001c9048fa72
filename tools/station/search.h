// SPDX-License-Identifier: GPL-3.0-or-later
// The two cover search services as the player sees them: which query string
// finds which song, and the JSON each service answers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "playlist.h"

namespace station {

// Query-string encoding of the player: ASCII letters and digits as they
// are, space as "+", every other character by its code point as "%XX" when
// it is at most U+00FF. Input is UTF-8; code points above U+00FF are written
// as the percent-encoded UTF-8 bytes (no song of ours has any).
std::string PlayerUrlEncode(std::string_view utf8);

// The exact query strings (after "/search?") the player sends for a song.
std::string ItunesQueryFor(const Song& song);
std::string DeezerQueryFor(const Song& song);

// Index of the song whose query the raw query string is, if any. Only songs
// whose cover lives in that service are found.
std::optional<int> FindItunesSong(const std::vector<Song>& songs, std::string_view rawQuery);
std::optional<int> FindDeezerSong(const std::vector<Song>& songs, std::string_view rawQuery);

// Answers. base is the scheme, host and port the picture URLs point at;
// index < 0 gives the service's "nothing found" answer.
std::string ItunesAnswer(const std::vector<Song>& songs, int index, const std::string& base);
std::string DeezerAnswer(const std::vector<Song>& songs, int index, const std::string& base);

// Picture paths: "/art/<n>/<w>x<h>bb.<ext>" (iTunes style) and
// "/cover/<n>/<w>x<h>.<ext>" (Deezer style); n is the song index + 1.
std::string ItunesArtworkPath(int index, int sizePx, PictureFormat format);
std::string DeezerCoverPath(int index, int sizePx, PictureFormat format);

// The picture a path asks for: song index and the size to draw, the song's
// own size for large renditions and the asked size for thumbnails.
struct PictureRequest {
  int index = -1;
  int widthPx = 0;
  int heightPx = 0;
};
std::optional<PictureRequest> ParsePicturePath(const std::vector<Song>& songs, std::string_view path);

}  // namespace station
