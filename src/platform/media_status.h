// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop's media controls are told about the player, and when: a
// second view of the model beside the window, free of any bus, so that what
// is published for a state and for a change can be tried alone. It follows
// the app's change bits (app/changes.h): nothing here compares states.
#pragma once

#include <cstdint>
#include <string>

#include "model/player_model.h"

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

// The status of a player met for the first time: the song it shows, if
// any, is the first, with its cover if one is shown.
MediaStatus FirstMediaStatus(const PlayerModel& player);

// Brings the status up to the player after a handler that changed what
// `changes` (Change bits) says, and returns the MediaChange bits of what is
// to be published again. A new song is a new track and, when a cover is
// shown (its own or the last song's), a new cover to publish under a name of
// its own.
unsigned FollowChanges(MediaStatus& status, const PlayerModel& player, unsigned changes);

// The track's object path: one per song, or the "no track" path before the first.
std::string TrackObjectPath(uint32_t songNumber);
