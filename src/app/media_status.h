// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop's media controls are told about the player, and when: a
// second view of the model beside the window, free of any bus, so that what
// is published for a state and what counts as a change can be tried alone.
#pragma once

#include <cstdint>
#include <string>

#include "app/player_state.h"

struct MediaStatus {
  bool playing = false;      // exactly when the badge shows LIVE
  Text title;                // the window's split of the song on air; empty: none
  Text artist;
  uint32_t songNumber = 0;   // 0 before the first song; one more for each new song
  uint32_t coverNumber = 0;  // 0 while no cover is shown; one more for each cover to publish
  float volume = 0.8f;
};

// The published properties a change touches.
enum MediaChange : unsigned {
  kMediaPlaybackStatus = 1u << 0,
  kMediaMetadata = 1u << 1,
  kMediaVolume = 1u << 2,
};

// The status last published, with what its numbers were given for.
struct MediaTracker {
  MediaStatus status;
  Text song;                 // the now-playing text songNumber stands for
  uint32_t coverSerial = 0;  // the cover replacement coverNumber stands for
};

// Brings the tracker up to the player's state and returns the MediaChange
// bits of what a listener would see change: none when nothing did. A new song
// is a new track and, when a cover is shown (a new one or the last song's),
// a new cover to publish under a name of its own.
unsigned FollowPlayer(MediaTracker& tracker, const Player& player);

// The track's object path: one per song, or the "no track" path before the first.
std::string TrackObjectPath(uint32_t songNumber);
