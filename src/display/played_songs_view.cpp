// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/played_songs_view.h"

#include <algorithm>
#include <cmath>

#include "display/gradient.h"
#include "display/main_view.h"
#include "display/text_fit.h"
#include "display/view_colours.h"

namespace {

// The About window's family.
constexpr Colour kTop = Rgb(10, 20, 45);
constexpr Colour kBottom = Rgb(3, 10, 20);
constexpr Colour kSongText = Rgb(235, 242, 255);
constexpr Colour kTimeText = Rgb(170, 180, 200);
constexpr Colour kEmptyText = Rgb(200, 210, 225);
constexpr Colour kCopiedText = Rgb(60, 140, 255);
constexpr Colour kSelected = Rgb(22, 38, 72);
constexpr Colour kSeparator = Rgb(28, 40, 66);

constexpr float kMargin = 16;
constexpr float kThumbTop = 6;
constexpr float kTextX = kMargin + kThumbnailSize + 12;
constexpr float kTimeY = 9;
constexpr float kSongY = 29;

Text ShownLine(const Text& nowPlaying) {
  const ArtistTitle song = ShownSong(nowPlaying);
  return song.artist + u" \u2013 " + song.title;
}

void DrawRow(const Fonts& fonts, const PlayedSongLine& line, float top, Surface& s) {
  const float width = float(SurfaceWidth(s));
  SetDrawMode(s, DrawMode::Opaque);
  if (line.selected) FillBox(s, 0, top, width, kPlayedSongRowHeight, kSelected);
  if (line.cover != nullptr) {
    DrawPictureStretched(s, *line.cover, kMargin, top + kThumbTop, kThumbnailSize, kThumbnailSize);
  } else {
    FillBox(s, kMargin, top + kThumbTop, kThumbnailSize, kThumbnailSize, kViewColours.placeholder);
  }
  FillBox(s, kMargin, top + kPlayedSongRowHeight - 1, width - 2 * kMargin, 1, kSeparator);

  SetDrawMode(s, DrawMode::TransparentText);
  SelectFont(s, fonts.fontSmall);
  DrawText(s, line.time, kTextX, top + kTimeY, kTimeText);
  if (line.copied) {
    const Text copied = u"Copi\u00E9";
    DrawText(s, copied, width - kMargin - TextWidth(s, copied), top + kTimeY, kCopiedText);
  }
  SelectFont(s, fonts.fontLabel);
  DrawText(s, FitTextToWidth(s, ShownLine(line.song), width - kTextX - kMargin), kTextX, top + kSongY, kSongText);
}

}  // namespace

float MaxPlayedSongsScrollPx(size_t rowCount, int heightPx) {
  return std::max(0.0f, float(rowCount) * kPlayedSongRowHeight - float(heightPx));
}

std::optional<size_t> PlayedSongRowAt(size_t rowCount, float scrollPx, int y) {
  const float listY = float(y) + scrollPx;
  if (listY < 0) return std::nullopt;
  const size_t row = size_t(listY / kPlayedSongRowHeight);
  return row < rowCount ? std::optional<size_t>(row) : std::nullopt;
}

RowRange ShownPlayedSongRows(size_t rowCount, float scrollPx, int heightPx) {
  const size_t first = size_t(std::max(0.0f, scrollPx) / kPlayedSongRowHeight);
  const size_t end = size_t(std::ceil((std::max(0.0f, scrollPx) + float(heightPx)) / kPlayedSongRowHeight));
  return {std::min(first, rowCount), std::min(end, rowCount)};
}

void DrawPlayedSongs(const Fonts& fonts, const PlayedSongsPicture& picture, Surface& s) {
  if (!BeginDrawing(s)) return;
  const int w = SurfaceWidth(s), h = SurfaceHeight(s);
  DrawVerticalGradient(s, 0, 0, w, h, kTop, kBottom);
  if (picture.lines.empty()) {
    SetDrawMode(s, DrawMode::TransparentText);
    SelectFont(s, fonts.fontLabel);
    DrawText(s, u"Aucun titre pour l'instant.", kMargin, kMargin, kEmptyText);
  }
  const RowRange shown = ShownPlayedSongRows(picture.lines.size(), picture.scrollPx, h);
  for (size_t row = shown.first; row < shown.end; ++row) {
    const float top = float(row) * kPlayedSongRowHeight - picture.scrollPx;
    DrawRow(fonts, picture.lines[row], top, s);
  }
  EndDrawing(s);
}
