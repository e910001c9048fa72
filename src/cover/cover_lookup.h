// Finding a cover picture's address: the first search service, then the second.
#pragma once

#include "app/player_state.h"

// The URL of a cover for `artist` and `title` (as SplitNowPlaying gives them,
// normalised here), or the empty text. Asks player.config.itunesBase and, only
// when that gives nothing, player.config.deezerBase; keeps nothing between calls.
Text LookupCoverUrl(const Player& player, const Text& artist, const Text& title);
