// SPDX-License-Identifier: GPL-3.0-or-later
// Each frame as the app draws it: the update before the drawing reads the
// live flag, the spectrum and the samples from the audio library, places the
// knob and keeps the cover at the display's resolution.
#include "app/frame.h"

#include <gtest/gtest.h>

#include "app/rescale_cover.h"
#include "display/view_colours.h"
#include "frame_fixture.h"

namespace {

class Frames : public FrameTest {
 protected:
  void Render() { RenderMainView(player); }
  Surface& S() { return *player.mainSurface; }
  // Pixels of the badge's box that show the red dot of LIVE.
  int LiveDotPixels() {
    const Box& badge = player.look.layout.liveBadgeBox;
    int dot = 0;
    for (int y = int(badge.y); y < int(badge.y + badge.height); ++y) {
      for (int x = int(badge.x); x < int(badge.x + badge.width); ++x) dot += Pixel(x, y) == Hex(kViewColours.liveDot);
    }
    return dot;
  }
};

TEST_F(Frames, TheBadgeShowsLiveAsTheLibrarySaysAndNeverWithoutAStream) {
  const struct {
    HSTREAM handle;
    DWORD answer;
    bool live;
  } cases[] = {{7, kActivePlaying, true}, {7, kActiveStalled, false}, {0, kActivePlaying, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.handle * 10 + c.answer);
    FakeScript().activeAnswer = c.answer;
    player.playback.streamHandle = c.handle;
    Render();
    EXPECT_EQ(player.playback.streamLive, c.live);
    EXPECT_EQ(LiveDotPixels() > 0, c.live);
  }
}

TEST_F(Frames, TheKnobFollowsTheVolumeWithoutALayoutStep) {
  for (const auto& [volume, knobX] : {std::pair{0.0f, 431.0f}, {1.0f, 611.0f}, {0.5f, 521.0f}}) {
    player.playback.volume = volume;
    Render();
    EXPECT_EQ(player.look.layout.volumeKnobBox.x, knobX) << volume;
  }
}

TEST_F(Frames, FetchAsksOnlyWhileTheStreamIsLive) {
  const struct {
    HSTREAM handle;
    DWORD active;
    bool fetched;
  } cases[] = {{0, kActivePlaying, false}, {7, kActivePlaying, true}, {7, kActivePaused, true},
               {7, kActiveStalled, false}, {7, kActiveStopped, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.handle * 10 + c.active);
    ResetFake();
    FakeScript().activeAnswer = c.active;
    FakeScript().spectrumValue = 0.25f;
    player.visualizer.spectrum.fill(0.5f);
    player.playback.streamHandle = c.handle;
    FetchSpectrum(Bass(player), player.playback, player.visualizer);
    EXPECT_EQ(player.visualizer.spectrum[100], c.fetched ? 0.25f : 0.5f);  // kept when not fetched
    if (c.handle == 0) {
      EXPECT_TRUE(FakeLog().calls.empty());
    }
  }
}

TEST_F(Frames, TheOscilloscopeAsksForSamplesWheneverAStreamExists) {
  player.visualizer.visualizerMode = VisualizerMode::Oscilloscope;
  const struct {
    HSTREAM handle;
    DWORD answer;
    int32_t bytes;
    size_t requests;
  } cases[] = {{0, 4096, 0, 0}, {7, 0xFFFFFFFFu, -1, 1}, {7, 0, 0, 1}, {7, 8, 8, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    ResetFake();
    FakeScript().dataResult = c.answer;
    FakeScript().activeAnswer = kActiveStalled;  // asked even when not live
    player.playback.streamHandle = c.handle;
    UpdateVisualizer(Bass(player), player.playback, player.visualizer);
    EXPECT_EQ(player.visualizer.sampleBytes, c.bytes);
    ASSERT_EQ(FakeLog().calls.size(), c.requests);
    if (c.requests) {
      EXPECT_EQ(FakeLog().calls[0], "BASS_ChannelGetData(7," + std::to_string(kDataFloat | 4096) + ")");
    }
  }
}

TEST_F(Frames, AtScaleTwoTheCoverComesFromTheDownloadedPictureAtDeviceResolution) {
  // Columns one pixel wide, alternately white and black: the 250 by 250
  // copy can only show them as grey, the device pixels of the box can show them.
  SongState& song = player.song;
  song.coverImage = CreateImage(500, 500);
  for (int y = 0; y < 500; ++y) {
    for (int x = 0; x < 500; ++x) song.coverImage->Row(y)[x] = x % 2 ? 0xFF000000u : 0xFFFFFFFFu;
  }
  const Box& box = player.look.layout.coverBox;
  RescaleCover(song, box);
  SetSurfaceScale(S(), 2);
  Render();
  const PixelView view = SurfacePixels(S());
  ASSERT_EQ(view.scale, 2);
  const int left = 2 * int(box.x), top = 2 * int(box.y);
  for (int x = left + 100; x < left + 104; ++x) EXPECT_EQ(DevicePixel(view, x, top + 200), x % 2 ? 0u : 0xFFFFFFu) << x;

  // A new cover replaces it.
  for (uint32_t& pixel : song.coverImage->pixels) pixel = 0xFF00FF00u;
  ++song.coverSerial;
  RescaleCover(song, box);
  Render();
  EXPECT_EQ(DevicePixel(view, left + 101, top + 200), 0x00FF00u);
}

TEST_F(Frames, NothingWithoutASurface) {
  DestroySurface(player.mainSurface);
  player.playback.streamHandle = 7;  // live, with a spectrum that would raise the peak marks
  player.visualizer.spectrum.fill(0.5f);
  RenderMainView(player);
  EXPECT_TRUE(FakeLog().calls.empty()) << FakeLog().calls.front();
  EXPECT_EQ(player.visualizer.peakLevels, decltype(player.visualizer.peakLevels){});
}

}  // namespace
