// SPDX-License-Identifier: GPL-3.0-or-later
// The player's model: the state the whole player shares, with its start-up
// values. It holds no toolkit type, no function table and no edge: it
// compiles and runs alone, and every drawing reads it and nothing else.
// It lives for the whole run and is touched only by the user-interface
// thread. Each group is written by one part of the player, named above it;
// everything else only reads it.
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

// The visualizer's drawings, in the order of the "Affichage" menu. A value
// outside them (none is ever set) draws an empty panel.
enum class VisualizerMode : int32_t { Line, Bars, MirrorBars, Ring, Rays, Oscilloscope };
inline constexpr int32_t kVisualizerModeCount = 6;

// The member initialisers below are the start-up values, and the only place
// they are written.

// Written by the now-playing poll and the cover update it starts
// (app/poll.cpp, app/cover_update.cpp), as their results are applied.
struct SongState {
  Text currentSong;
  Text coverSong;
  int32_t lastCoverAttemptMs = 0;
  int32_t coverFailCount = 0;
  Image coverImage;
  Image coverScaled;
  uint32_t coverSerial = 0;  // counts the cover's replacements
  bool pollRunning = false;  // a poll, until its title and the cover update it started are applied
};

// Written by the playback operations (app/playback.cpp) and, for
// `streamLive`, by the update before each frame (app/frame.cpp).
// `serverBase` is set once, at start-up.
struct PlaybackState {
  uint32_t streamHandle = 0;  // the audio library's HSTREAM; 0: no stream
  float volume = 0.8f;
  Text serverBase;
  bool streamLive = false;     // playing or paused, as the last frame asked the library
  bool streamOpening = false;  // an open of the stream, until its end is applied
  bool openWithdrawn = false;  // stop was pressed since: what the open makes is closed
};

// Written by the animation tick and the update before each frame
// (app/frame.cpp), and by the commands that choose a drawing (app/commands.cpp).
struct VisualizerState {
  VisualizerMode visualizerMode = VisualizerMode::Bars;
  std::array<float, 512> spectrum{};
  std::array<float, 128> peakLevels{};
  float peakFall = 0.02f;
  float pulsePhase = 0.0f;
  // What the update before each drawing read from the audio library, so
  // that the drawing itself only draws.
  std::array<float, 1024> samples{};  // the oscilloscope's latest samples
  int32_t sampleBytes = 0;            // the library's answer for them; 0 or less: none
};

// Written by the pointer handling and the keys (app/events.cpp, app/keys.cpp).
struct PointerState {
  bool volumeDragging = false;  // from a left press on the slider until the button is released
  // The control Tab moved to, ringed on screen; NoControl from the next pointer
  // press on, so that a listener who never uses the keys sees no ring.
  Control keyboardFocus = Control::NoControl;
};

// Written once at start-up (the fonts, the logo, the layout), but for the
// knob's box, which the update before each frame moves to the volume.
struct Look {
  Image logoImage;
  Fonts fonts;
  Layout layout;
};

struct PlayerModel {
  SongState song;
  PlaybackState playback;
  VisualizerState visualizer;
  PointerState pointer;
  Look look;
};
