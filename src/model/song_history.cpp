// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/song_history.h"

#include <algorithm>
#include <limits>

void NoteSeenSong(SongHistory& history, int64_t nowS, const Text& title) {
  history.seen.push_back({nowS, title, nullptr});
  while (history.seen.size() > kMaxHistoryRows) history.seen.pop_front();
}

void NoteSeenCover(SongHistory& history, const Text& title, Thumbnail cover) {
  const auto newest = std::find_if(history.seen.rbegin(), history.seen.rend(),
                                   [&title](const SeenSong& seen) { return seen.title == title; });
  if (newest != history.seen.rend()) newest->cover = std::move(cover);
}

namespace {

constexpr size_t kNone = std::numeric_limits<size_t>::max();

// The unmatched sighting of station song `i`'s airing closest to its start.
size_t SightingOf(const SongHistory& history, size_t i, const std::vector<bool>& taken) {
  const StationSong& song = history.station[i];
  const int64_t endS = std::max(song.playedAtS, i == 0 ? history.stationAsOfS : history.station[i - 1].playedAtS);
  size_t best = kNone;
  int64_t bestDistanceS = 0;
  for (size_t k = 0; k < history.seen.size(); ++k) {
    const SeenSong& seen = history.seen[k];
    if (taken[k] || seen.title != song.title) continue;
    if (seen.seenAtS < song.playedAtS - kSameAiringToleranceS || seen.seenAtS > endS + kSameAiringToleranceS) continue;
    const int64_t distanceS = seen.seenAtS > song.playedAtS ? seen.seenAtS - song.playedAtS : song.playedAtS - seen.seenAtS;
    if (best == kNone || distanceS < bestDistanceS) {
      best = k;
      bestDistanceS = distanceS;
    }
  }
  return best;
}

}  // namespace

std::vector<HistoryRow> MergeHistory(const SongHistory& history) {
  std::vector<HistoryRow> rows;
  std::vector<bool> taken(history.seen.size(), false);
  for (size_t i = 0; i < history.station.size(); ++i) {
    const StationSong& song = history.station[i];
    const size_t k = SightingOf(history, i, taken);
    if (k == kNone) {
      rows.push_back({song.playedAtS, song.title, nullptr, true});
    } else {
      taken[k] = true;
      rows.push_back({song.playedAtS, song.title, history.seen[k].cover, false});
    }
  }
  for (size_t k = 0; k < history.seen.size(); ++k) {
    if (!taken[k]) rows.push_back({history.seen[k].seenAtS, history.seen[k].title, history.seen[k].cover, false});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const HistoryRow& a, const HistoryRow& b) { return a.timeS > b.timeS; });
  if (rows.size() > kMaxHistoryRows) rows.resize(kMaxHistoryRows);
  return rows;
}

const CoverAnswer* FindCoverAnswer(const CoverAnswers& answers, const Text& title) {
  const auto found =
      std::find_if(answers.begin(), answers.end(), [&title](const CoverAnswer& answer) { return answer.title == title; });
  return found != answers.end() ? &*found : nullptr;
}

void KeepCoverAnswer(CoverAnswers& answers, const Text& title, Thumbnail cover) {
  std::erase_if(answers, [&title](const CoverAnswer& answer) { return answer.title == title; });
  answers.push_back({title, std::move(cover)});
  while (answers.size() > kMaxHistoryRows) answers.pop_front();
}
