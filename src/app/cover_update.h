// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping the cover of the song on air: lookup, download, decode, swap.
#pragma once

#include <cstdint>
#include <optional>

#include "app/player_state.h"

// Looks up, downloads and shows the cover of `nowPlaying`. On success the two
// cover images are replaced and coverFailCount is 0; on failure both images
// stay (an older song's cover included) and coverFailCount grows by one. A
// text that splits into an empty artist and title does nothing at all. Every
// fetch is to be over by `deadlineMs`, on the player's clock, when given.
void UpdateCover(Player& player, const Text& nowPlaying, std::optional<uint32_t> deadlineMs = {});
