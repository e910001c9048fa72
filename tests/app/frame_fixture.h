// SPDX-License-Identifier: GPL-3.0-or-later
// A player with its fonts, layout, fake audio library and a headless main
// surface that records what is drawn, for tests of the painted view.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "app/fonts.h"
#include "app/player_state.h"
#include "display/surface.h"
#include "fake_audio.h"

// A player as start-up leaves it, on the fake library, drawing headless.
inline void SetUpHeadlessPlayer(Player& player) {
  ResetFake();
  InitPlayerState(player);
  player.audioLibrary.api = FakeAudioApi();
  LoadFonts(player.fonts);
  ComputeLayout(player.layout, player.volume);
  player.mainSurface = CreateSurface(800, 300);
}

inline void TearDownHeadlessPlayer(Player& player) {
  DestroySurface(player.mainSurface);
  FreeImage(player.coverImage);
  FreeImage(player.coverScaled);
}

// A colour as a pixel of the surface reads: 0xRRGGBB.
inline uint32_t Hex(Colour c) { return (uint32_t(RedOf(c)) << 16) | (uint32_t(GreenOf(c)) << 8) | BlueOf(c); }

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpHeadlessPlayer(player);
    ASSERT_NE(player.mainSurface, nullptr);
    SetRecording(*player.mainSurface, &ops);
  }
  void TearDown() override { TearDownHeadlessPlayer(player); }
  Surface& S() { return *player.mainSurface; }

  // 0xRRGGBB of a pixel of the main surface.
  uint32_t Pixel(int x, int y) { return SurfacePixel(S(), x, y); }

  std::vector<DrawOp> OpsOf(DrawOp::Kind kind, Colour colour) const {
    std::vector<DrawOp> found;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(found),
                 [&](const DrawOp& op) { return op.kind == kind && op.colour == colour; });
    return found;
  }
  static std::array<int, 4> Rect(const DrawOp& op) { return {op.x, op.y, op.w, op.h}; }

  void FillSpectrum(float value) { player.spectrum.fill(value); }

  Player player;
  std::vector<DrawOp> ops;
};
