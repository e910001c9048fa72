// The now-playing poll: asks the stream server which song is on air and,
// when it changes, updates the cover.
#pragma once

#include "app/player_state.h"

// One poll: reads the title, takes a new one into currentSong and coverSong
// and updates the cover; otherwise retries the cover of coverSong as
// DecidePoll rules. Draws nothing: the next tick shows the new state.
void PollNowPlaying(Player& player);
