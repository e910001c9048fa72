// SPDX-License-Identifier: GPL-3.0-or-later
// A player with its fonts, layout, fake audio library and a headless main
// surface, for tests of what the app draws and when.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "app/fonts.h"
#include "app/player_state.h"
#include "display/surface.h"
#include "display/view_fixture.h"  // Hex
#include "fake_audio.h"

// A player as start-up leaves it, on the fake library, drawing headless.
inline void SetUpHeadlessPlayer(Player& player) {
  ResetFake();
  InitPlayerState(player);
  player.audioLibrary.api = FakeAudioApi();
  LoadFonts(player.look.fonts);
  ComputeLayout(player.look.layout, player.playback.volume);
  player.mainSurface = CreateSurface(kMainSurfaceWidth, kMainSurfaceHeight);
}

inline void TearDownHeadlessPlayer(Player& player) {
  DestroySurface(player.mainSurface);
  FreeImage(player.song.coverImage);
  FreeImage(player.song.coverScaled);
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpHeadlessPlayer(player);
    ASSERT_NE(player.mainSurface, nullptr);
  }
  void TearDown() override { TearDownHeadlessPlayer(player); }
  // 0xRRGGBB of a pixel of the main surface.
  uint32_t Pixel(int x, int y) { return SurfacePixel(*player.mainSurface, x, y); }

  Player player;
};
