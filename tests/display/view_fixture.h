// SPDX-License-Identifier: GPL-3.0-or-later
// A model drawn headless, on a surface that records what is drawn, for the
// tests of the main view and the visualizer: the model as the update before
// each frame leaves it, set by the test itself.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "display/main_view.h"
#include "display/surface.h"
#include "display/view_caches.h"
#include "model/player_model.h"

// A colour as a pixel of the surface reads: 0xRRGGBB.
inline uint32_t Hex(Colour c) { return (uint32_t(RedOf(c)) << 16) | (uint32_t(GreenOf(c)) << 8) | BlueOf(c); }
// 0xRRGGBB of a device pixel of a surface's picture.
inline uint32_t DevicePixel(const PixelView& v, int x, int y) {
  return reinterpret_cast<const uint32_t*>(v.data + size_t(y) * size_t(v.stride))[x] & 0xFFFFFF;
}
// An opaque picture of one colour.
inline Image SolidImage(int width, int height, uint32_t rgb) {
  Image image = CreateImage(width, height);
  std::fill(image->pixels.begin(), image->pixels.end(), 0xFF000000u | rgb);
  return image;
}

// Any fonts will do: the view draws with whatever it is given.
inline Fonts TestFonts() {
  constexpr const char* kFace = "DejaVu Sans";
  return {{kFace, 10}, {kFace, 12}, {kFace, 10}, {kFace, 12}, {kFace, 18}, {kFace, 22}, {kFace, 26}};
}

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model.look.fonts = TestFonts();
    ComputeLayout(model.look.layout, model.playback.volume);
    surface = CreateSurface(800, 300);
    ASSERT_NE(surface, nullptr);
    SetRecording(*surface, &ops);
  }
  void TearDown() override { DestroySurface(surface); }
  Surface& S() { return *surface; }

  // One frame of the main view.
  void Draw() {
    ops.clear();
    ASSERT_TRUE(BeginDrawing(S()));
    DrawMainView(model, caches, S());
    EndDrawing(S());
  }
  // 0xRRGGBB of a pixel of the surface.
  uint32_t Pixel(int x, int y) { return SurfacePixel(S(), x, y); }

  std::vector<DrawOp> OpsOf(DrawOp::Kind kind, Colour colour) const {
    std::vector<DrawOp> found;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(found),
                 [&](const DrawOp& op) { return op.kind == kind && op.colour == colour; });
    return found;
  }
  static std::array<int, 4> Rect(const DrawOp& op) { return {op.x, op.y, op.w, op.h}; }

  PlayerModel model;
  MainViewCaches caches;
  Surface* surface = nullptr;
  std::vector<DrawOp> ops;
};
