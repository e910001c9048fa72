// SPDX-License-Identifier: GPL-3.0-or-later
// What the demo station plays and how a listener's test judges it, for the
// end-to-end tests of every build (listener_test.cpp, windows_listener_test.cpp).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "model/player_model.h"
#include "sound.h"

// Solid colours of the station's covers, by song; song 4 has none.
inline constexpr uint32_t kCoverOf[] = {0xC82828, 0x28AA3C, 0x2850C8, 0xE6C81E};
// Song 0: a 440 Hz sine, made at 0.5 in mono and spread over both channels
// 3 dB down when it was coded to MP3: it peaks at 0.336 in each channel.
inline constexpr double kToneHz = 440;
inline constexpr double kToneAmplitude = 0.336;
inline const double kDefaultVolume = PlaybackState{}.volume;  // the player's start-up volume
inline constexpr double kSilentRms = 0.002;
// Long enough that the song on air does not change during a test that plays it.
inline const std::vector<std::string> kOneLongSong = {"--first-song", "0", "--song-seconds", "120"};

inline std::vector<std::string> With(std::vector<std::string> options, const std::vector<std::string>& more) {
  options.insert(options.end(), more.begin(), more.end());
  return options;
}

// Each of red, green and blue within `tolerance` of the other's (0xRRGGBB).
inline bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  }
  return true;
}

// A log or answer file as it stands; empty if there is none.
inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The recorded sound carries song 0's tone at about `amplitude`.
inline void ExpectTone(const std::vector<float>& sound, double amplitude) {
  ASSERT_GT(sound.size(), size_t(kRecordRateHz));
  const double tone = ToneAmplitude(sound, kToneHz);
  EXPECT_NEAR(tone, amplitude, 0.1 * amplitude + 0.01);
  // Nearly all of what is heard is that tone.
  EXPECT_GT(tone / (Rms(sound) * std::sqrt(2.0)), 0.9);
}

// A time the listener waited, checked against its bound and shown in the
// test's output so that the margin can be followed from run to run.
inline void ExpectWithin(std::chrono::milliseconds took, const char* what, int boundMs) {
  std::cout << what << " after " << took.count() << " ms (bound " << boundMs << " ms)\n";
  EXPECT_LE(took.count(), boundMs) << what;
}
