// SPDX-License-Identifier: GPL-3.0-or-later
// The main view drawn from the model, as the update before each frame left it.
#include "display/main_view.h"

#include <gtest/gtest.h>

#include <cmath>

#include "display/text_fit.h"
#include "display/view_colours.h"
#include "display/visualizer.h"
#include "view_fixture.h"

namespace {

constexpr Colour kPanel = kViewColours.panel;
constexpr Colour kBackground = kViewColours.background;

class MainViewTest : public ViewTest {
 protected:
  std::vector<DrawOp> Texts() const {
    std::vector<DrawOp> texts;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(texts),
                 [](const DrawOp& op) { return op.kind == DrawOp::Kind::Text; });
    return texts;
  }
  const DrawOp* FindText(const std::string& text) const {
    const auto it = std::find_if(ops.begin(), ops.end(),
                                 [&](const DrawOp& op) { return op.kind == DrawOp::Kind::Text && op.text == text; });
    return it == ops.end() ? nullptr : &*it;
  }
  // Every device pixel of the surface's picture, row by row.
  std::vector<uint32_t> AllPixels() {
    const PixelView v = SurfacePixels(S());
    std::vector<uint32_t> pixels;
    for (int y = 0; y < v.height; ++y) {
      for (int x = 0; x < v.width; ++x) pixels.push_back(DevicePixel(v, x, y));
    }
    return pixels;
  }
  float WidthIn(const FontFace& font, const Text& text) {
    SelectFont(S(), font);
    return TextWidth(S(), text);
  }
};

TEST_F(MainViewTest, StartUpFrameShowsEachPartInItsPlace) {
  Draw();
  EXPECT_FALSE(IsDrawing(S()));  // closed: the window shows it
  // The background, then the gradient over all of it but the strip on the right.
  ASSERT_GE(ops.size(), 2u);
  EXPECT_EQ(Rect(ops[0]), (std::array{0, 0, 800, 300}));
  EXPECT_EQ(ops[0].colour, kBackground);
  EXPECT_EQ(Rect(ops[1]), (std::array{0, 0, 740, 320}));

  // The texts, in the order they are drawn, each without a background box.
  const struct {
    const char* text;
    float x, y;  // negative: placed by the centring test below
    Colour colour;
  } texts[] = {
      {"OFF", 750, 241, kViewColours.offText},
      {"Pochette", 30, 30, kViewColours.placeholderText},
      {"Titre inconnu", 280, 24, kViewColours.titleText},
      {"Artiste inconnu", 280, 55, kViewColours.artistText},
      {"\u25B6", -1, -1, kViewColours.glyph},
      {"\u25A0", -1, -1, kViewColours.glyph},
      {"\U0001F508", 418, 229, kViewColours.speaker},
  };
  const auto drawn = Texts();
  ASSERT_EQ(drawn.size(), std::size(texts));
  for (size_t i = 0; i < std::size(texts); ++i) {
    SCOPED_TRACE(texts[i].text);
    EXPECT_EQ(drawn[i].text, texts[i].text);
    EXPECT_EQ(drawn[i].colour, texts[i].colour);
    EXPECT_EQ(drawn[i].mode, DrawMode::TransparentText);
    if (texts[i].x >= 0) {
      EXPECT_EQ((std::pair{drawn[i].textX, drawn[i].textY}), (std::pair{texts[i].x, texts[i].y}));
    }
  }

  // The badge is the ellipse in its box: the box's corner keeps the flat background.
  EXPECT_EQ(Pixel(741, 236), Hex(kBackground));
  // The placeholder fills the cover box and stops at its edges.
  EXPECT_EQ(Pixel(18, 18), Hex(kViewColours.placeholder));
  EXPECT_EQ(Pixel(267, 267), Hex(kViewColours.placeholder));
  EXPECT_NE(Pixel(17, 17), Hex(kViewColours.placeholder));
  EXPECT_NE(Pixel(268, 268), Hex(kViewColours.placeholder));

  // Each button: a face of its colour, a ring of that hue up to 6 pixels
  // beyond the disc, a shadow that darkens what lies under the disc's lower edge.
  auto channel = [](uint32_t rgb, int shift) { return int(rgb >> shift & 0xFF); };
  auto distance = [&](uint32_t a, uint32_t b) {
    int sum = 0;
    for (int shift : {0, 8, 16}) sum += std::abs(channel(a, shift) - channel(b, shift));
    return sum;
  };
  const auto faces = {std::pair{290, Hex(kViewColours.primaryFace)}, std::pair{350, Hex(kViewColours.secondaryFace)}};
  for (auto [left, face] : faces) {
    SCOPED_TRACE(left);
    const int cx = left + 16, cy = 236;
    EXPECT_LE(distance(Pixel(left + 2, cy), face), 6);
    EXPECT_LT(distance(Pixel(cx - 20, cy), face), distance(Pixel(cx - 24, cy), face) - 10);  // the ring
    EXPECT_GT(distance(Pixel(cx, 254), 0), 0);
    EXPECT_LT(distance(Pixel(cx, 254), 0), distance(Pixel(cx + 10, 254), 0));  // shadow under the ring
  }

  // The rest of the frame, pixel by pixel.
  EXPECT_EQ(Pixel(0, 0), Hex(kViewColours.gradientTop));      // gradient top
  EXPECT_EQ(Pixel(739, 0), Hex(kViewColours.gradientTop));
  for (int y : {0, 50, 299}) {  // the panel and the badge reach into the strip lower down
    EXPECT_EQ(Pixel(740, y), Hex(kBackground)) << y;  // the flat strip right of the gradient
    EXPECT_EQ(Pixel(799, y), Hex(kBackground)) << y;
  }
  EXPECT_EQ(Pixel(290, 100), Hex(kPanel));
  EXPECT_EQ(Pixel(782, 183), Hex(kPanel));   // inside the rounded corner
  EXPECT_NE(Pixel(280, 85), Hex(kPanel));    // the corner itself is cut
  EXPECT_EQ(Pixel(288, 178), Hex(kViewColours.visualizerPeak));     // a peak mark at rest
  EXPECT_EQ(Pixel(584, 238), Hex(kViewColours.knob));     // knob
  EXPECT_EQ(Pixel(450, 237), Hex(kViewColours.trackFill));     // track fill
  EXPECT_EQ(Pixel(610, 237), Hex(kViewColours.track));     // track beyond the knob
  EXPECT_EQ(Pixel(779, 247), Hex(kViewColours.badge));     // badge body right of "OFF"

  // "OFF" is drawn in grey on the badge: its text area holds grey pixels.
  int grey = 0;
  for (int y = 241; y < 257; ++y) {
    for (int x = 750; x < 775; ++x) {
      const uint32_t p = Pixel(x, y);
      const int r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (r > 100 && std::abs(r - g) < 8 && std::abs(r - b) < 8) ++grey;
    }
  }
  EXPECT_GT(grey, 10);

  EXPECT_EQ(Pixel(306, 236) >> 16, 0xFFu);  // the play glyph, white in the blue face
}

TEST_F(MainViewTest, GlyphsAreCentredInTheirButtons) {
  Draw();
  for (auto [glyph, font, x] : {std::tuple{"\u25B6", model.look.fonts.fontPlayGlyph, 290},
                                std::tuple{"\u25A0", model.look.fonts.fontStopGlyph, 350}}) {
    SCOPED_TRACE(glyph);
    const DrawOp* op = FindText(glyph);
    ASSERT_NE(op, nullptr);
    SelectFont(S(), font);
    const float width = TextWidth(S(), T(glyph)), height = LineHeight(S());
    EXPECT_GT(width, 0);
    EXPECT_FLOAT_EQ(op->textX + width / 2, float(x) + 16);
    EXPECT_FLOAT_EQ(op->textY + height / 2, 236.0f);
  }
}

TEST_F(MainViewTest, TitleAndArtistLines) {
  const struct {
    const char* song;
    const char* title;
    const char* artist;
  } cases[] = {
      {"Blue Sky - Night Song", "Night Song", "Blue Sky"},
      {"Night Song", "Night Song", "Artiste inconnu"},
      {"", "Titre inconnu", "Artiste inconnu"},
      {" - Night Song", "Night Song", "Artiste inconnu"},
      {"Blue Sky - ", "Titre inconnu", "Blue Sky"},
      {"  Night Song ", "  Night Song ", "Artiste inconnu"},  // no separator: untrimmed
      {"Blue Sky - Night - Song", "Night - Song", "Blue Sky"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.song);
    model.song.currentSong = T(c.song);
    Draw();
    const auto texts = Texts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[2].text, c.title);  // after "OFF" and "Pochette"
    EXPECT_EQ(texts[3].text, c.artist);
  }
}

TEST_F(MainViewTest, LongTitleIsShortenedWithAnEllipsisToFit640) {
  Text longTitle;
  while (WidthIn(model.look.fonts.fontTitle, longTitle) <= 900) longTitle += u"Night Song ";
  model.song.currentSong = u"Blue Sky - " + longTitle;
  Draw();
  const Text drawn = T(Texts()[2].text);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), u'\u2026');
  EXPECT_LE(WidthIn(model.look.fonts.fontTitle, drawn), 640.0f);
  // The longest such prefix: one more unit would not fit.
  const Text prefix = drawn.substr(0, drawn.size() - 1);
  EXPECT_EQ(longTitle.substr(0, prefix.size()), prefix);
  EXPECT_GT(WidthIn(model.look.fonts.fontTitle, longTitle.substr(0, prefix.size() + 1) + u"\u2026"), 640.0f);

  // About 600 pixels: drawn whole, and the surface edge cuts it.
  Text title;
  while (WidthIn(model.look.fonts.fontTitle, title + u"m") <= 600) title += u"m";
  EXPECT_GT(WidthIn(model.look.fonts.fontTitle, title), 580.0f);
  model.song.currentSong = title;
  Draw();
  EXPECT_EQ(T(Texts()[2].text), title);
}

TEST_F(MainViewTest, FittingNeverSplitsASurrogatePair) {
  SelectFont(S(), model.look.fonts.fontTitle);
  const Text faces = u"ab\U0001F600\U0001F601\U0001F602\U0001F603\U0001F604\U0001F605\U0001F606";
  const float full = TextWidth(S(), faces);
  for (float width = 0; width < full; width += 1) {
    SCOPED_TRACE(width);
    const Text fitted = FitTextToWidth(S(), faces, width);
    ASSERT_FALSE(fitted.empty());
    EXPECT_EQ(fitted.back(), u'\u2026');
    for (size_t i = 0; i + 1 < fitted.size(); ++i) {
      if (IsHighSurrogate(fitted[i])) {
        EXPECT_TRUE(IsLowSurrogate(fitted[i + 1])) << i;
      }
      if (IsLowSurrogate(fitted[i])) {
        EXPECT_TRUE(i > 0 && IsHighSurrogate(fitted[i - 1])) << i;
      }
    }
  }
  EXPECT_EQ(FitTextToWidth(S(), faces, 0), u"\u2026");  // nothing fits: the ellipsis alone
  EXPECT_EQ(FitTextToWidth(S(), u"", 0), u"");
  EXPECT_EQ(FitTextToWidth(S(), faces, full), faces);
}

TEST_F(MainViewTest, HugeTitleIsFittedInBoundedWork) {
  // A server could send anything; the search is capped, so this ends quickly.
  model.song.currentSong = Text(200000, u'W');
  Draw();
  const Text drawn = T(Texts()[2].text);
  EXPECT_EQ(drawn.back(), u'\u2026');
  EXPECT_LE(WidthIn(model.look.fonts.fontTitle, drawn), 640.0f);
}

TEST_F(MainViewTest, LiveBadgePulses) {
  model.playback.streamLive = true;
  const std::pair<float, int> cases[] = {{0.0f, 6}, {0.25f, 8}, {0.5f, 10}, {0.75f, 8}, {1.0f, 6}};
  for (const auto& [phase, radius] : cases) {
    SCOPED_TRACE(phase);
    model.visualizer.pulsePhase = phase;
    Draw();
    const auto dots = OpsOf(DrawOp::Kind::Circle, kViewColours.liveDot);
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_EQ((std::array{dots[0].x, dots[0].y, dots[0].w}), (std::array{750, 247, radius}));
    const DrawOp* live = FindText("LIVE");
    ASSERT_NE(live, nullptr);
    EXPECT_EQ((std::pair{live->textX, live->textY}), (std::pair{762.0f, 241.0f}));
    EXPECT_EQ(FindText("OFF"), nullptr);
  }
}

TEST_F(MainViewTest, VolumeSliderFollowsTheVolumeOnEveryFrame) {
  const struct {
    float volume;
    int fill;
    int knobX;
  } cases[] = {{0.0f, 0, 431}, {1.0f, 180, 611}, {0.5f, 90, 521}, {0.8f, 144, 575}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.volume);
    model.playback.volume = c.volume;
    PlaceVolumeKnob(model.look.layout, c.volume);
    Draw();
    const auto fills = OpsOf(DrawOp::Kind::Box, kViewColours.trackFill);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills.back().w, c.fill);
    const auto knob = OpsOf(DrawOp::Kind::RoundedBox, kViewColours.knob);
    ASSERT_EQ(knob.size(), 1u);
    EXPECT_EQ(Rect(knob[0]), (std::array{c.knobX, 229, 18, 18}));
  }
  // At 0 the track shows no blue at its left end, only under the knob's disc.
  model.playback.volume = 0;
  PlaceVolumeKnob(model.look.layout, 0);
  Draw();
  EXPECT_EQ(Pixel(455, 237), Hex(kViewColours.track));
}

TEST_F(MainViewTest, CoverScaledCopyThenFullPictureThenPlaceholder) {
  model.song.coverImage = SolidImage(100, 40, 0x00FF00);
  Draw();
  EXPECT_EQ(OpsOf(DrawOp::Kind::PictureStretched, 0).size(), 1u);
  EXPECT_EQ(Rect(OpsOf(DrawOp::Kind::PictureStretched, 0)[0]), (std::array{18, 18, 250, 250}));
  EXPECT_EQ(Pixel(30, 260), 0x00FF00u);  // stretched over the whole box
  EXPECT_EQ(FindText("Pochette"), nullptr);

  model.song.coverScaled = SolidImage(250, 250, 0xFF0000);
  Draw();
  const auto pictures = OpsOf(DrawOp::Kind::Picture, 0);  // the gradient, then the cover
  EXPECT_EQ(std::count_if(pictures.begin(), pictures.end(), [](const DrawOp& op) { return op.x == 18 && op.y == 18; }), 1);
  EXPECT_EQ(OpsOf(DrawOp::Kind::PictureStretched, 0).size(), 0u);
  EXPECT_EQ(Pixel(18, 18), 0xFF0000u);
  EXPECT_EQ(Pixel(267, 267), 0xFF0000u);
  EXPECT_EQ(Pixel(268, 268), Pixel(268, 270));  // nothing beyond the box but the gradient row
  // The texts are drawn in the transparent mode whichever branch the cover took.
  EXPECT_EQ(Texts()[1].mode, DrawMode::TransparentText);

  FreeImage(model.song.coverScaled);
  FreeImage(model.song.coverImage);
  Draw();
  EXPECT_EQ(Pixel(30, 260), Hex(kViewColours.placeholder));  // the placeholder again
  EXPECT_NE(FindText("Pochette"), nullptr);
}

TEST_F(MainViewTest, AtScaleTwoEveryFlatAreaHasTheColourOfScaleOne) {
  model.song.currentSong = u"Blue Sky - Night Song";
  Draw();
  const std::vector<uint32_t> one = AllPixels();
  SetSurfaceScale(S(), 2);
  Draw();
  const PixelView view = SurfacePixels(S());
  ASSERT_EQ(view.scale, 2);
  // Away from every edge (where only anti-aliasing may differ), each surface
  // pixel's 2 by 2 device pixels are its colour at scale 1. Two pixels away:
  // a glyph fitted to the pixel grid at twice the size, or a disc that
  // GDI+ draws as a polygon, may reach one pixel further than at scale 1.
  constexpr int kEdge = 2;
  int flat = 0, differing = 0;
  for (int y = kEdge; y < 300 - kEdge; ++y) {
    for (int x = kEdge; x < 800 - kEdge; ++x) {
      bool uniform = true;
      for (int dy = -kEdge; dy <= kEdge; ++dy) {
        for (int dx = -kEdge; dx <= kEdge; ++dx) uniform = uniform && one[(y + dy) * 800 + x + dx] == one[y * 800 + x];
      }
      if (!uniform) continue;
      ++flat;
      for (int d = 0; d < 4; ++d) {
        differing += DevicePixel(view, 2 * x + d % 2, 2 * y + d / 2) != one[y * 800 + x];
      }
    }
  }
  EXPECT_GT(flat, 180000);
  EXPECT_EQ(differing, 0);
}

// A frame drawn over the still picture must be the frame drawn whole, and
// the window must be told of every pixel that changed: through every mode,
// at every scale the surface draws at, while the spectrum, the samples, the
// phase, the volume, LIVE and OFF, the song and the cover change.
TEST_F(MainViewTest, EveryFrameIsTheWholeRepaintPixelForPixel) {
  SetRecording(S(), nullptr);
  Surface* whole = CreateSurface(800, 300);
  ASSERT_NE(whole, nullptr);
  // What the window shows: the picture's pixels, copied where it is told.
  std::vector<uint32_t> window;
  float windowScale = 0;
  SetPresent(S(), [&](int x, int y, int w, int h) {
    const PixelView v = SurfacePixels(S());
    if (v.scale != windowScale) window.assign(size_t(v.width) * size_t(v.height), 0), windowScale = v.scale;
    for (int dy = DevicePixels(y, v.scale); dy < DevicePixels(y + h, v.scale); ++dy) {
      for (int dx = DevicePixels(x, v.scale); dx < DevicePixels(x + w, v.scale); ++dx)
        window[size_t(dy) * size_t(v.width) + dx] = DevicePixel(v, dx, dy);
    }
  });
  auto drawWhole = [&] {
    SetSurfaceScale(*whole, SurfaceScale(S()));
    const StillPicture kept = caches.still;
    caches.still.state = StillPicture::State::None;  // from the background up
    ASSERT_TRUE(BeginDrawing(*whole));
    DrawMainView(model, caches, *whole);
    EndDrawing(*whole);
    caches.still = kept;
  };
  auto differing = [&](const PixelView& a, auto&& pixelOfB) {
    int count = 0;
    for (int y = 0; y < a.height; ++y) {
      for (int x = 0; x < a.width; ++x) count += DevicePixel(a, x, y) != pixelOfB(x, y);
    }
    return count;
  };
  SongState& song = model.song;
  // A new cover with its copies, as the cover update and the frame's update leave them.
  auto solidCover = [&](uint32_t rgb) {
    song.coverImage = SolidImage(300, 300, rgb);
    song.coverScaled = SolidImage(250, 250, rgb);
    ++song.coverSerial;
    const float scale = SurfaceScale(S());
    const int side = DevicePixels(250, scale);
    caches.deviceCover = {song.coverSerial, scale, scale > 1 ? SolidImage(side, side, rgb) : nullptr};
  };

  uint32_t seed = 12345;
  auto random = [&seed] {  // 0 to 1
    seed = seed * 1664525u + 1013904223u;
    return float(seed >> 8) / float(1 << 24);
  };
  VisualizerState& v = model.visualizer;
  model.playback.streamLive = true;
  v.sampleBytes = int32_t(v.samples.size() * sizeof(float));
  for (float scale : {1.0f, 1.5f, 2.0f}) {
    for (int32_t mode = 0; mode < kVisualizerModeCount; ++mode) {
      v.visualizerMode = VisualizerMode(mode);
      const VisualizerDrawing* drawing = FindVisualizerDrawing(v.visualizerMode);
      SetSurfaceScale(S(), scale);
      for (int frame = 0; frame < 14; ++frame) {
        SCOPED_TRACE(testing::Message() << "scale " << scale << ", mode " << mode << ", frame " << frame);
        for (float& bin : v.spectrum) bin = std::pow(random(), 3.0f);
        for (float& sample : v.samples) sample = 2 * random() - 1;
        v.pulsePhase = std::fmod(v.pulsePhase + 0.06f, 1.0f);
        switch (frame) {
          case 1: model.pointer.keyboardFocus = Control::Play; break;
          case 2: model.pointer.keyboardFocus = Control::Volume; break;  // ringed while the knob moves
          case 3: model.playback.volume = 0.0f; break;  // a drag across the track
          case 4: model.playback.volume = 0.37f; break;
          case 5: model.playback.volume = 1.0f; break;
          case 6: model.playback.streamLive = false; break;  // OFF
          case 7: model.playback.streamLive = true, model.pointer.keyboardFocus = Control::NoControl; break;
          case 8: song.currentSong = u"Blue Sky - Night Song " + Text(1, char16_t(u'A' + mode)); break;
          case 9: solidCover(0x336699); break;
          case 10: solidCover(0x996633); break;  // the same size: may come back at the same address
          case 11: FreeImage(song.coverScaled), FreeImage(song.coverImage), FreeImage(caches.deviceCover.picture); break;
          case 12: v.spectrum.fill(0.0f); break;  // at rest
          default: break;
        }
        if (drawing->step != nullptr) drawing->step(v);
        PlaceVolumeKnob(model.look.layout, model.playback.volume);
        Draw();
        drawWhole();
        const PixelView drawn = SurfacePixels(S()), reference = SurfacePixels(*whole);
        ASSERT_EQ(drawn.scale, scale);
        ASSERT_EQ(reference.scale, scale);
        EXPECT_EQ(differing(drawn, [&](int x, int y) { return DevicePixel(reference, x, y); }), 0);
        EXPECT_EQ(differing(drawn, [&](int x, int y) { return window[size_t(y) * size_t(drawn.width) + x]; }), 0);
      }
    }
  }
  DestroySurface(whole);
}

TEST_F(MainViewTest, UnknownModeLeavesThePanelEmptyButTheRestDrawn) {
  model.visualizer.visualizerMode = VisualizerMode(9);
  Draw();
  EXPECT_EQ(Pixel(288, 178), Hex(kPanel));
  EXPECT_NE(FindText("OFF"), nullptr);
  EXPECT_EQ(OpsOf(DrawOp::Kind::RoundedBox, kViewColours.knob).size(), 1u);
  EXPECT_EQ(OpsOf(DrawOp::Kind::RoundedBox, kPanel).size(), 1u);
}

}  // namespace

TEST_F(MainViewTest, TheFocusRingFramesItsControlAloneAndLeavesNoTrace) {
  SetRecording(S(), nullptr);
  auto picture = [&] { Draw(); return AllPixels(); };
  const std::vector<uint32_t> unfocused = picture();
  // Each ring: the rows and columns of its two-pixel frame, from left, top, right, bottom edge.
  const struct {
    Control control;
    int left, top, right, bottom;
  } rings[] = {{Control::Play, 281, 211, 331, 261}, {Control::Stop, 341, 211, 391, 261},
               {Control::Volume, 414, 220, 632, 256}};
  for (const auto& ring : rings) {
    SCOPED_TRACE(int(ring.control));
    model.pointer.keyboardFocus = ring.control;
    const std::vector<uint32_t> focused = picture();
    int changed = 0, outside = 0;
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 800; ++x) {
        if (focused[size_t(y) * 800 + x] == unfocused[size_t(y) * 800 + x]) continue;
        ++changed;
        const bool inBox = ring.left <= x && x < ring.right && ring.top <= y && y < ring.bottom;
        const bool onFrame = x < ring.left + 2 || x >= ring.right - 2 || y < ring.top + 2 || y >= ring.bottom - 2;
        outside += !(inBox && onFrame);
      }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(changed, 2 * (ring.right - ring.left));
    EXPECT_EQ(Pixel(ring.left, ring.top), Hex(kViewColours.focusRing));
    model.pointer.keyboardFocus = Control::NoControl;
    EXPECT_TRUE(picture() == unfocused) << "the ring left a trace";
  }
}
