// SPDX-License-Identifier: GPL-3.0-or-later
// The player's model: the state the whole player shares, with its start-up
// values. It holds no toolkit type, no function table and no edge: it
// compiles and runs alone, and every drawing reads it and nothing else.
// It lives for the whole run and is touched only by the user-interface thread.
#pragma once

#include <array>
#include <cstdint>

#include "model/font.h"
#include "model/layout.h"
#include "model/picture.h"
#include "text/text.h"

// The seven fonts, set by LoadFonts at start-up.
struct Fonts {
  FontFace fontSmall;      // 10 pt
  FontFace fontLabel;      // 12 pt
  FontFace fontAbout;      // 10 pt
  FontFace fontArtist;     // 12 pt
  FontFace fontTitle;      // 18 pt
  FontFace fontStopGlyph;  // 22 pt
  FontFace fontPlayGlyph;  // 26 pt

  bool operator==(const Fonts&) const = default;
};

// The member initialisers below are the start-up values, and the only place
// they are written.
struct PlayerModel {
  // Now-playing record.
  Text currentSong;
  Text coverSong;
  int32_t lastCoverAttemptMs = 0;
  int32_t coverFailCount = 0;
  Image coverImage;
  Image coverScaled;

  // Playback.
  uint32_t streamHandle = 0;  // the audio library's HSTREAM; 0: no stream
  float volume = 0.8f;
  Text serverBase;

  // Visualizer.
  int32_t visualizerMode = 1;
  std::array<float, 512> spectrum{};
  std::array<float, 128> peakLevels{};
  float peakFall = 0.02f;
  float pulsePhase = 0.0f;

  // User interface.
  int32_t volumeDragging = 0;
  Image logoImage;
  Fonts fonts;
  Layout layout;

  // What the update before each drawing read from the audio library, so
  // that the drawing itself only draws.
  bool streamLive = false;               // playing or paused
  std::array<float, 1024> samples{};     // the oscilloscope's latest samples
  int32_t sampleBytes = 0;               // the library's answer for them; 0 or less: none
};
