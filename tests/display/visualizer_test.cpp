// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/visualizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/view_colours.h"
#include "view_fixture.h"

namespace {

constexpr Colour kBlue = kViewColours.visualizerBlue;
constexpr Colour kTrace = kViewColours.visualizerTrace;
constexpr Colour kPeak = kViewColours.visualizerPeak;
constexpr float kInf = std::numeric_limits<float>::infinity();

class VisualizerTest : public ViewTest {
 protected:
  // A drawing of `mode` in the panel, stepped first as before every drawing.
  void Draw(int mode) {
    VisualizerState& v = model.visualizer;
    v.visualizerMode = VisualizerMode(mode);
    ASSERT_TRUE(BeginDrawing(S()));
    ops.clear();
    const VisualizerDrawing* drawing = FindVisualizerDrawing(v.visualizerMode);
    if (drawing != nullptr && drawing->step != nullptr) drawing->step(v);
    DrawVisualizer(v, S(), 285, 90, 500, 90);
    EndDrawing(S());
  }
  void FillSpectrum(float value) { model.visualizer.spectrum.fill(value); }
  // The samples the update before the drawing read: `bytes` is the
  // library's answer, the rest of the buffer stays as it was.
  void SetSamples(int32_t bytes, const std::vector<float>& samples) {
    model.visualizer.sampleBytes = bytes;
    std::copy(samples.begin(), samples.end(), model.visualizer.samples.begin());
  }
  // The bins that move the level at t: each one alone set to 1.
  std::vector<int> BinsRead(float t) {
    std::vector<int> bins;
    for (int j = 0; j < 512; ++j) {
      FillSpectrum(0);
      model.visualizer.spectrum[size_t(j)] = 1;
      if (BandLevel(model.visualizer.spectrum, t, 0.9f) > 0) bins.push_back(j);
    }
    return bins;
  }
  static double Distance(int x, int y, double cx, double cy) { return std::hypot(x - cx, y - cy); }
};

TEST_F(VisualizerTest, BandLevelReadsFiveBinsAroundTheCurvedPosition) {
  const struct {
    float t;
    std::vector<int> bins;
  } cases[] = {
      {0.0f, {0, 1, 2}},
      {1.0f, {509, 510, 511}},
      {0.5f, {271, 272, 273, 274, 275}},   // 0.5^0.9 × 511 = 273.9
      {0.25f, {144, 145, 146, 147, 148}},  // 0.25^0.9 × 511 = 146.8
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.t);
    EXPECT_EQ(BinsRead(c.t), c.bins);
  }
}

TEST_F(VisualizerTest, BandLevelOfConstantSpectra) {
  const float nan = std::nanf("");
  const double ln41 = std::log(41.0);
  const struct {
    float bin;
    float t;
    double level;
  } cases[] = {
      {0.0f, 0.5f, 0.0},
      {1.0f, 0.5f, 1.0},
      {7.0f, 0.5f, 1.0},
      {0.1f, 0.5f, std::log(5.0) / ln41},  // about 0.433
      {0.1f, 0.0f, std::log(1 + 40 * 0.3 / 5) / ln41},  // three bins, still divided by 5
      {0.1f, 1.0f, std::log(1 + 40 * 0.3 / 5) / ln41},
      {1.0f, 0.0f, std::log(25.0) / ln41},
      {nan, 0.5f, 0.0},   // a broken analysis reads as silence
      {kInf, 0.5f, 1.0},
      {-kInf, 0.5f, 0.0},
      {-1.0f, 0.5f, 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.bin) + " at " + std::to_string(c.t));
    FillSpectrum(c.bin);
    EXPECT_NEAR(BandLevel(model.visualizer.spectrum, c.t, 0.9f), c.level, 1e-6);
  }
  // One NaN bin among five counts as 0; the other four still show.
  FillSpectrum(0.1f);
  model.visualizer.spectrum[273] = nan;
  EXPECT_NEAR(BandLevel(model.visualizer.spectrum, 0.5f, 0.9f), std::log(1 + 40 * 0.4 / 5) / ln41, 1e-6);
  EXPECT_EQ(BandLevel(model.visualizer.spectrum, nan, 0.9f), BandLevel(model.visualizer.spectrum, 0.0f, 0.9f));
}

TEST_F(VisualizerTest, LineRunsAlongTheBottomAtRestAndTheTopAtFullLevel) {
  for (float level : {0.0f, 1.0f}) {
    SCOPED_TRACE(level);
    FillSpectrum(2 * level);
    Draw(0);
    ASSERT_EQ(OpsOf(DrawOp::Kind::Line, kTrace).size(), 71u);
    ASSERT_EQ(ops.size(), 71u);
    const int row = level == 0 ? 180 : 90;
    for (const DrawOp& op : ops) {
      EXPECT_EQ(op.y, row);
      EXPECT_EQ(op.h, row);
    }
    EXPECT_EQ(ops.front().x, 285);
    EXPECT_EQ(ops.back().w, 785);
  }
}

// Full level everywhere needs bins of 5/3 or more: the edge levels add only three bins.
constexpr float kFull = 2.0f;

TEST_F(VisualizerTest, BarsAtFullLevel) {
  FillSpectrum(kFull);
  Draw(1);
  const auto bars = OpsOf(DrawOp::Kind::Box, kBlue);
  const auto marks = OpsOf(DrawOp::Kind::Box, kPeak);
  ASSERT_EQ(bars.size(), 60u);
  ASSERT_EQ(marks.size(), 60u);
  EXPECT_EQ(bars[0].x, 286);
  EXPECT_EQ(bars[1].x, 294);  // 294.33
  EXPECT_EQ(bars[2].x, 303);  // 302.67
  EXPECT_EQ(bars[59].x, 778);
  for (int i = 0; i < 60; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Rect(bars[i]), (std::array{int(std::nearbyint(285 + i * 500.0 / 60 + 1)), 90, 6, 90}));
    EXPECT_EQ(Rect(marks[i]), (std::array{bars[i].x, 88, 6, 2}));  // 2 pixels above the area
    EXPECT_EQ(model.visualizer.peakLevels[i], 1.0f);
  }
  EXPECT_EQ(model.visualizer.peakLevels[60], 0.0f);  // only the first 60 are used
}

TEST_F(VisualizerTest, PeakMarksFallPerDrawingAndReachZeroAfter25) {
  FillSpectrum(0);
  for (int i = 0; i < 60; ++i) model.visualizer.peakLevels[i] = 0.5f;
  for (int drawing = 1; drawing <= 25; ++drawing) {
    SCOPED_TRACE(drawing);
    Draw(1);
    const float expected = 0.5f - 0.02f * float(drawing);
    EXPECT_NEAR(model.visualizer.peakLevels[0], expected, 1e-5f);
    EXPECT_NEAR(model.visualizer.peakLevels[59], expected, 1e-5f);
    const auto marks = OpsOf(DrawOp::Kind::Box, kPeak);
    ASSERT_EQ(marks.size(), 60u);
    EXPECT_EQ(marks[0].y, RoundPixel(180.0f - model.visualizer.peakLevels[0] * 90.0f - 2.0f));
    // No bars rise at rest: the blue boxes are all empty.
    for (const DrawOp& bar : OpsOf(DrawOp::Kind::Box, kBlue)) EXPECT_EQ(bar.h, 0);
  }
  EXPECT_EQ(model.visualizer.peakLevels[0], 0.0f);
  const auto marks = OpsOf(DrawOp::Kind::Box, kPeak);
  EXPECT_EQ(Rect(marks[0]), (std::array{286, 178, 6, 2}));  // the row of marks at rest
  // The pixels show it too: a mark at rest on rows 178 and 179, nothing above.
  EXPECT_EQ(Pixel(288, 178), Hex(kPeak));
  EXPECT_EQ(Pixel(288, 179), Hex(kPeak));
}

TEST_F(VisualizerTest, PeakRisesAtOnceWithItsBar) {
  FillSpectrum(0.1f);
  Draw(1);
  EXPECT_NEAR(model.visualizer.peakLevels[30], BandLevel(model.visualizer.spectrum, 30 / 59.0f, 0.9f), 1e-6);
}

TEST_F(VisualizerTest, MirrorBarsAtFullLevelWithTheMiddleLineLast) {
  FillSpectrum(kFull);
  Draw(2);
  ASSERT_EQ(ops.size(), 113u);
  const auto bars = OpsOf(DrawOp::Kind::Box, kBlue);
  ASSERT_EQ(bars.size(), 112u);
  for (int i = 0; i < 56; ++i) {
    SCOPED_TRACE(i);
    const int x = int(std::nearbyint(285 + i * 500.0 / 56 + 1));  // bar 7 at 348.5: the tie goes to even
    EXPECT_EQ(Rect(bars[2 * i]), (std::array{x, 90, 7, 45}));  // 8.93 − 2 rounds to 7
    EXPECT_EQ(Rect(bars[2 * i + 1]), (std::array{x, 135, 7, 45}));
  }
  EXPECT_EQ(ops.back().colour, kTrace);
  EXPECT_EQ(Rect(ops.back()), (std::array{285, 135, 500, 1}));
  EXPECT_EQ(Pixel(288, 90), Hex(kBlue));
  EXPECT_EQ(Pixel(288, 179), Hex(kBlue));
  EXPECT_EQ(Pixel(288, 135), Hex(kTrace));
}

TEST_F(VisualizerTest, RingFollowsTheLevel) {
  for (auto [level, radius] : {std::pair{kFull, 55.0}, std::pair{0.0f, 37.0}}) {
    SCOPED_TRACE(level);
    FillSpectrum(level);
    Draw(3);
    ASSERT_EQ(ops.size(), 120u);
    int top = 1000, bottom = 0;
    for (const DrawOp& op : ops) {
      EXPECT_EQ(op.colour, kTrace);
      EXPECT_NEAR(Distance(op.x, op.y, 535, 135), radius, 0.75);
      EXPECT_NEAR(Distance(op.w, op.h, 535, 135), radius, 0.75);
      top = std::min(top, op.y), bottom = std::max(bottom, op.y);
    }
    EXPECT_EQ((std::pair{ops.front().x, ops.front().y}), (std::pair{535 + int(radius), 135}));
    EXPECT_EQ((std::pair{ops.back().w, ops.back().h}), (std::pair{535 + int(radius), 135}));  // closed
    EXPECT_EQ((std::pair{top, bottom}), (std::pair{135 - int(radius), 135 + int(radius)}));
  }
}

TEST_F(VisualizerTest, RaysAtFullLevelReachFrom19_8To43_2) {
  FillSpectrum(kFull);
  Draw(4);
  ASSERT_EQ(OpsOf(DrawOp::Kind::Line, kBlue).size(), 64u);
  ASSERT_EQ(ops.size(), 64u);
  EXPECT_EQ(Rect(ops[0]), (std::array{555, 135, 578, 135}));  // the first points right
  EXPECT_EQ(Rect(ops[16]), (std::array{535, 155, 535, 178}));  // a quarter turn on: down
  for (const DrawOp& op : ops) {
    EXPECT_NEAR(Distance(op.x, op.y, 535, 135), 19.8, 0.75);
    EXPECT_NEAR(Distance(op.w, op.h, 535, 135), 43.2, 0.75);
  }
}

TEST_F(VisualizerTest, OscilloscopeFlatLineWithoutSamples) {
  for (int32_t bytes : {0, -1}) {  // none asked, or the request failed
    SCOPED_TRACE(bytes);
    SetSamples(bytes, {0.5f, 0.5f});
    Draw(5);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].colour, kTrace);
    EXPECT_EQ(Rect(ops[0]), (std::array{285, 135, 500, 1}));
  }
}

TEST_F(VisualizerTest, OscilloscopeTwoSamplesSplitAtColumn250) {
  SetSamples(8, {1.0f, -1.0f});
  Draw(5);
  ASSERT_EQ(ops.size(), 499u);
  for (int i = 0; i < 499; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ops[i].x, 285 + i);
    EXPECT_EQ(ops[i].w, 286 + i);
    EXPECT_EQ(ops[i].y, i < 250 ? 92 : 178);  // 135 ∓ 43.2
    EXPECT_EQ(ops[i].h, i + 1 < 250 ? 92 : 178);
  }
}

TEST_F(VisualizerTest, OscilloscopeClampsAndSurvivesBadAnswers) {
  SetSamples(4, {0.5f});  // one sample: nothing at all
  Draw(5);
  EXPECT_TRUE(ops.empty());

  // Not numbers, infinities and values past full scale: clamped, never converted raw.
  SetSamples(20, {std::nanf(""), kInf, -kInf, 0.5f, 3.0f});
  Draw(5);
  ASSERT_EQ(ops.size(), 499u);
  const int rows[] = {135, 92, 178, 113, 92};  // 0.5 → 135 − 21.6
  for (int sample = 0; sample < 5; ++sample) EXPECT_EQ(ops[size_t(sample * 100)].y, rows[sample]) << sample;

  // A library claiming more bytes than the buffer holds: only the buffer is read.
  SetSamples(1 << 20, std::vector<float>(1024, -1.0f));
  Draw(5);
  ASSERT_EQ(ops.size(), 499u);
  EXPECT_EQ(ops.back().h, 178);
}

TEST_F(VisualizerTest, UnknownModeDrawsNothing) {
  FillSpectrum(1);
  for (int mode : {-1, 6, 1000}) {
    Draw(mode);
    EXPECT_TRUE(ops.empty()) << mode;
  }
}

}  // namespace
