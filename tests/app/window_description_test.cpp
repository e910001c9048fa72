// SPDX-License-Identifier: GPL-3.0-or-later
// The window as both shells describe it: the menu bar and its shortcut, the
// About window, and the words a screen reader gets for the main view.
#include "app/window_description.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/about_window.h"
#include "app/fonts.h"
#include "app/screen_reader_text.h"
#include "display/gradient.h"
#include "frame_fixture.h"

namespace {

TEST(WindowDescription, MenuTitlesItemsAndEventsInOrder) {
  using Items = std::vector<std::pair<std::string, int>>;
  std::vector<std::pair<std::string, Items>> menus;
  for (const MenuEntry& entry : kPlayerMenuBar) {
    if (entry.kind == MenuEntry::Kind::Menu) menus.push_back({entry.text, {}});
    if (entry.kind != MenuEntry::Kind::Menu) menus.back().second.push_back({entry.text, entry.event});
  }
  const decltype(menus) expected = {
      {"Fichier", {{"Quitter", 100}}},
      {"Orvelle", {{"Site Orvelle\u2026", 110}, {"Podcast", 111}, {"Top 30", 112}, {"Forum", 113}, {"", 0}, {"Titres diffus\u00E9s\u2026", 300}}},
      {"Affichage",
       {{"Visualizer : Ligne", 200},
        {"Visualizer : Barres", 201},
        {"Visualizer : Barres miroir", 202},
        {"Visualizer : Cercle", 203},
        {"Visualizer : Rayons", 204},
        {"Visualizer : Oscilloscope", 205}}},
      {"\u00C0 propos", {{"\u00C0 propos de Orvelle\u2026", 120}}},
  };
  EXPECT_EQ(menus, expected);
  // V alone, with no item of its own, raises the number after the modes';
  // Ctrl+C one beyond the specified numbers.
  ASSERT_EQ(std::size(kShortcuts), 2u);
  EXPECT_EQ((std::tuple{kShortcuts[0].key, kShortcuts[0].event, kShortcuts[0].control}), (std::tuple{'V', 206, false}));
  EXPECT_EQ(MenuCommand(206)->kind, Command::Kind::NextVisualizer);
  EXPECT_EQ((std::tuple{kShortcuts[1].key, kShortcuts[1].event, kShortcuts[1].control}), (std::tuple{'C', 301, true}));
  EXPECT_EQ(MenuCommand(301)->kind, Command::Kind::CopySong);
  EXPECT_EQ(MenuCommand(300)->kind, Command::Kind::ShowPlayedSongs);
}

TEST(ScreenReaderText, SaysWhatTheWindowShows) {
  const struct {
    const char16_t* song;
    bool live;
    float volume;
    const char* name;
    const char* description;
  } cases[] = {
      {u"", false, 0.8f, "Orvelle Player, Titre inconnu, Artiste inconnu, arrêté",
       "Titre : Titre inconnu. Artiste : Artiste inconnu. Arrêté. Volume : 80 %."},
      {u"Blue Sky - Night Song", true, 0.25f, "Orvelle Player, Night Song, Blue Sky, en direct",
       "Titre : Night Song. Artiste : Blue Sky. En direct. Volume : 25 %."},
      {u"Jingle", true, 0.0f, "Orvelle Player, Jingle, Artiste inconnu, en direct",
       "Titre : Jingle. Artiste : Artiste inconnu. En direct. Volume : 0 %."},
      {u"Les Ondes Vertes - ", false, 1.0f, "Orvelle Player, Titre inconnu, Les Ondes Vertes, arrêté",
       "Titre : Titre inconnu. Artiste : Les Ondes Vertes. Arrêté. Volume : 100 %."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.song));
    SongState song;
    PlaybackState playback;
    song.currentSong = c.song;
    playback.streamLive = c.live;
    playback.volume = c.volume;
    const SpokenView spoken = DescribeMainView(song, playback);
    EXPECT_EQ(TextToUtf8(spoken.name), c.name);
    EXPECT_EQ(TextToUtf8(spoken.description), c.description);
  }
}

constexpr int kWidth = kAboutWindow.width, kHeight = kAboutWindow.height;
const std::string kSite = "http://radio.example:8080/";

TEST(AboutWindow, DrawsLogoOrDiscAndTheTexts) {
  Look look;
  for (bool withLogo : {true, false}) {
    SCOPED_TRACE(withLogo);
    Surface* surface = CreateSurface(kWidth, kHeight);
    std::vector<DrawOp> ops;
    SetRecording(*surface, &ops);
    look.logoImage = withLogo ? CreateImage(256, 256) : nullptr;
    DrawAboutWindow(look, kSite, *surface);
    ASSERT_EQ(ops.size(), 1u + 1 + std::size(kAboutLines));  // the gradient, logo or disc, the texts
    EXPECT_EQ((std::array{ops[0].x, ops[0].y, ops[0].w, ops[0].h}), (std::array{0, 0, kWidth, kHeight}));
    const DrawOp& logo = ops[1];
    if (withLogo) {
      EXPECT_EQ((std::array{logo.x, logo.y, logo.w, logo.h}),
                (std::array{kAboutLogoX, kAboutLogoY, kAboutLogoSize, kAboutLogoSize}));
    } else {
      EXPECT_EQ(logo.kind, DrawOp::Kind::Circle);
      EXPECT_EQ(logo.mode, DrawMode::Opaque);  // its colour's alpha is not blended
      EXPECT_EQ((std::array{logo.x, logo.y, logo.w}), (std::array{kAboutDiscX, kAboutDiscY, kAboutDiscRadius}));
    }
    // The offer names the station's host, and nothing else of its address.
    EXPECT_NE(ops[3].text.find(" radio.example "), std::string::npos) << ops[3].text;
    FreeImage(look.logoImage);
    DestroySurface(surface);
  }
}

// The texts as the window shows them: its picture, the logo aside, is the
// gradient with each line drawn on it without a background, the last one
// 40 pixels above the bottom edge, pixel for pixel.
TEST(AboutWindow, TextsInTheirFontsColoursAndPlaces) {
  Look look;
  LoadFonts(look.fonts);
  Surface* shown = CreateSurface(kWidth, kHeight);
  Surface* expected = CreateSurface(kWidth, kHeight);
  ASSERT_TRUE(shown && expected);
  DrawAboutWindow(look, kSite, *shown);
  ASSERT_TRUE(BeginDrawing(*expected));
  DrawVerticalGradient(*expected, 0, 0, kWidth, kHeight, kAboutGradientTop, kAboutGradientBottom);
  SetDrawMode(*expected, DrawMode::TransparentText);
  for (const AboutLine& line : kAboutLines) {
    SelectFont(*expected, look.fonts.*line.font);
    DrawText(*expected, AboutLineText(line, u"radio.example"), line.x, line.y >= 0 ? line.y : kHeight - 40.0f,
             line.colour);
  }
  EndDrawing(*expected);

  int differing = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool logo = x >= 40 && x < 300 && y >= 40 && y < 300;  // the stand-in disc, checked above
      if (logo || SurfacePixel(*shown, x, y) == SurfacePixel(*expected, x, y)) continue;
      if (differing++ == 0) firstX = x, firstY = y;
    }
  }
  EXPECT_EQ(differing, 0) << "first at (" << firstX << ", " << firstY << ")";
  DestroySurface(shown);
  DestroySurface(expected);
}

}  // namespace
