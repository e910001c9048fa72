// SPDX-License-Identifier: GPL-3.0-or-later
// The songs played lately, as the played-songs window lists them: those the
// poll saw on air since start-up, with the cover the cover update got for
// each, merged with the station's own list, which reaches back before the
// start. Bounded: at most kMaxHistoryRows of each, and as many cover
// answers. So at most 40 thumbnails are held, each (48 x scale)^2 x 4 bytes:
// 360 KiB at scale 1, 1.4 MiB at 2, 5.6 MiB at the largest scale (4), and
// some 200 KiB of titles at their longest (kMaxTitleUnits).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "model/picture.h"
#include "text/text.h"

// A cover made small for a row, shared by the rows and the answers that show it.
using Thumbnail = std::shared_ptr<const Picture>;

constexpr size_t kMaxHistoryRows = 20;
// A song seen by the poll and one listed by the station are one airing when
// their titles are the same and their times this close (the poll sees a new
// song up to 10 s late, and the two clocks may differ).
constexpr int64_t kSameAiringToleranceS = 120;
constexpr int kThumbnailSize = 48;  // surface pixels, each way

struct SeenSong {
  int64_t seenAtS = 0;  // Unix seconds when the poll first took it
  Text title;
  Thumbnail cover;  // none until the cover update got one for it
};

struct StationSong {
  int64_t playedAtS = 0;  // Unix seconds, as the station tells
  Text title;
};

struct SongHistory {
  std::deque<SeenSong> seen;         // oldest first, at most kMaxHistoryRows
  std::vector<StationSong> station;  // the station's last good list, newest first
  int64_t stationAsOfS = 0;          // when that list was fetched
};

// One row of the window, newest first.
struct HistoryRow {
  int64_t timeS = 0;  // when it went on air: the station's time, else when the poll saw it
  Text title;
  Thumbnail cover;
  bool stationOnly = false;  // known from the station's list alone: its cover is looked up when shown

  bool operator==(const HistoryRow&) const = default;
};

// The poll took `title` as the song on air at `nowS`.
void NoteSeenSong(SongHistory& history, int64_t nowS, const Text& title);
// The cover update got `cover` for `title`: the newest sighting of it shows it.
void NoteSeenCover(SongHistory& history, const Text& title, Thumbnail cover);

// The rows: each station song merged with the poll's sighting of the same
// airing, if any, the rest of both as they are; newest first, at most
// kMaxHistoryRows. A sighting is of a station song's airing when the titles
// are the same and it falls, give or take kSameAiringToleranceS, between the
// song's start and the next song's (or, for the newest, the list's fetch):
// a player started in the middle of a song sees it minutes after it began.
std::vector<HistoryRow> MergeHistory(const SongHistory& history);

// What the cover lookups of station songs found, the last kMaxHistoryRows of
// them; a lookup that found nothing is an answer too, so that it is not
// asked again and again.
struct CoverAnswer {
  Text title;
  Thumbnail cover;  // none: nothing found
};
using CoverAnswers = std::deque<CoverAnswer>;

const CoverAnswer* FindCoverAnswer(const CoverAnswers& answers, const Text& title);
void KeepCoverAnswer(CoverAnswers& answers, const Text& title, Thumbnail cover);
