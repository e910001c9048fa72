// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/main_view.h"

#include "display/gradient.h"
#include "display/text_fit.h"
#include "display/view_colours.h"
#include "display/visualizer.h"
#include "display/widgets.h"

namespace {

constexpr int32_t kGradientWidth = 740;   // the strip on the right keeps the flat background
constexpr int32_t kGradientHeight = 320;  // the last 20 rows fall below the surface
constexpr float kPanelMargin = 6;
constexpr float kPanelRadius = 10;
constexpr float kKnobRadius = 10;  // cut to 9 by the radius rule: a disc

void DrawCover(const PlayerModel& player, const DeviceCover& sharp, Surface& s) {
  const Box& box = player.look.layout.coverBox;
  if (player.song.coverScaled != nullptr && sharp.picture != nullptr && sharp.scale == SurfaceScale(s) &&
      SurfaceScale(s) > 1) {
    // Its device pixels land one to one on the surface's.
    DrawPictureStretched(s, *sharp.picture, box.x, box.y, box.width, box.height);
  } else if (player.song.coverScaled != nullptr) {
    DrawPicture(s, *player.song.coverScaled, box.x, box.y);
  } else if (player.song.coverImage != nullptr) {
    DrawPictureStretched(s, *player.song.coverImage, box.x, box.y, box.width, box.height);
  } else {
    FillBox(s, box.x, box.y, box.width, box.height, kViewColours.placeholder);
    SetDrawMode(s, DrawMode::TransparentText);
    SelectFont(s, player.look.fonts.fontLabel);
    DrawText(s, u"Pochette", box.x + 12, box.y + 12, kViewColours.placeholderText);
  }
}

void DrawSongLines(const PlayerModel& player, FittedTextCache& fitted, Surface& s) {
  const ArtistTitle song = ShownSong(player.song.currentSong);
  const Box& titleBox = player.look.layout.titleBox;
  const Box& artistBox = player.look.layout.artistBox;
  SelectFont(s, player.look.fonts.fontTitle);
  DrawText(s, FitTextToWidth(s, fitted, song.title, titleBox.width), titleBox.x, titleBox.y,
           kViewColours.titleText);
  SelectFont(s, player.look.fonts.fontArtist);
  DrawText(s, FitTextToWidth(s, fitted, song.artist, artistBox.width), artistBox.x, artistBox.y,
           kViewColours.artistText);
}

void DrawVolumeTrack(const PlayerModel& player, Surface& s) {
  const Box& track = player.look.layout.volumeTrackBox;
  SelectFont(s, player.look.fonts.fontLabel);
  DrawText(s, u"\U0001F508", track.x - 22, track.y - 6, kViewColours.speaker);
  FillBox(s, track.x, track.y, track.width, track.height, kViewColours.track);
}

void DrawVolumeLevel(const PlayerModel& player, Surface& s) {
  SetDrawMode(s, DrawMode::TransparentText);
  const Box& track = player.look.layout.volumeTrackBox;
  FillBox(s, track.x, track.y, player.playback.volume * track.width, track.height, kViewColours.trackFill);
  const Box& knob = player.look.layout.volumeKnobBox;
  FillRoundedBox(s, knob.x, knob.y, knob.width, knob.height, kKnobRadius, kKnobRadius, kViewColours.knob);
}

void DrawBadgeSignal(const PlayerModel& player, Surface& s) {
  const Box& badge = player.look.layout.liveBadgeBox;
  DrawLiveBadgeSignal(player.look.fonts, player.visualizer.pulsePhase, s, RoundPixel(badge.x), RoundPixel(badge.y),
                      RoundPixel(badge.height), player.playback.streamLive);
}

void DrawPanelContent(const PlayerModel& player, Surface& s) {
  const Box& panel = player.look.layout.visualizerBox;
  SetDrawMode(s, DrawMode::TransparentText);
  DrawVisualizer(player.visualizer, s, RoundPixel(panel.x), RoundPixel(panel.y), RoundPixel(panel.width),
                 RoundPixel(panel.height));
}

// The moving parts in drawing order. Nothing still is drawn over any of
// them later in a frame, so a still picture with each drawn over it in this
// order is the whole frame.
using DrawPart = void (*)(const PlayerModel&, Surface&);
constexpr DrawPart kMovingPartDrawings[kMovingParts] = {DrawBadgeSignal, DrawPanelContent, DrawVolumeLevel};

// Draws one moving part and notes where it drew.
void DrawMovingPart(const PlayerModel& player, Surface& s, int part, StillPicture& still) {
  StartDrawnArea(s);
  kMovingPartDrawings[part](player, s);
  still.moved[part] = DrawnArea(s);
}

// A frame from the background up: the still parts, and the moving ones
// where they belong between them unless `withMoving` is false.
void DrawFrame(const PlayerModel& player, MainViewCaches& caches, Surface& s, bool withMoving) {
  const Layout& layout = player.look.layout;

  if (SurfaceScale(s) == 1) {
    FillBox(s, 0, 0, float(SurfaceWidth(s)), float(SurfaceHeight(s)), kViewColours.background);
  } else {
    // The opaque gradient covers all but the strip on the right: at device
    // resolution, filling under it would be a pass over the picture for nothing.
    FillBox(s, kGradientWidth, 0, float(SurfaceWidth(s) - kGradientWidth), float(SurfaceHeight(s)),
            kViewColours.background);
  }
  DrawVerticalGradient(s, caches.gradient, 0, 0, kGradientWidth, kGradientHeight, kViewColours.gradientTop,
                       kViewColours.background);

  const Box& badge = layout.liveBadgeBox;
  DrawLiveBadgeBox(s, RoundPixel(badge.x), RoundPixel(badge.y), RoundPixel(badge.width), RoundPixel(badge.height));
  if (withMoving) DrawMovingPart(player, s, 0, caches.still);

  DrawCover(player, caches.deviceCover, s);
  SetDrawMode(s, DrawMode::TransparentText);
  DrawSongLines(player, caches.fittedTexts, s);

  const Box& play = layout.playButtonBox;
  const Box& stop = layout.stopButtonBox;
  DrawRoundButton(player.look.fonts, s, RoundPixel(play.x), RoundPixel(play.y), RoundPixel(play.width), true, u"\u25B6");
  DrawRoundButton(player.look.fonts, s, RoundPixel(stop.x), RoundPixel(stop.y), RoundPixel(stop.width), false, u"\u25A0");

  const Box& panel = layout.visualizerBox;
  SetDrawMode(s, DrawMode::TransparentText);
  FillRoundedBox(s, panel.x - kPanelMargin, panel.y - kPanelMargin, panel.width + 2 * kPanelMargin,
                 panel.height + 2 * kPanelMargin, kPanelRadius, kPanelRadius, kViewColours.panel);
  if (withMoving) DrawMovingPart(player, s, 1, caches.still);

  DrawVolumeTrack(player, s);
  DrawFocusRing(layout, player.pointer.keyboardFocus, s);
  if (withMoving) DrawMovingPart(player, s, 2, caches.still);
}

uint64_t SerialOf(const Picture* picture) { return picture != nullptr ? picture->serial : 0; }

StillInputs StillInputsOf(const PlayerModel& player, const MainViewCaches& caches, const Surface& s) {
  StillInputs inputs{SurfaceScale(s),
                     player.song.currentSong,
                     SerialOf(player.song.coverScaled.get()),
                     SerialOf(player.song.coverImage.get()),
                     caches.deviceCover.scale == SurfaceScale(s) ? SerialOf(caches.deviceCover.picture.get()) : 0,
                     player.look.fonts,
                     player.look.layout,
                     player.pointer.keyboardFocus};
  inputs.layout.volumeKnobBox = {};
  return inputs;
}

}  // namespace

ArtistTitle ShownSong(const Text& nowPlaying) {
  ArtistTitle song = SplitNowPlaying(nowPlaying);
  if (song.title.empty()) song.title = u"Titre inconnu";
  if (song.artist.empty()) song.artist = u"Artiste inconnu";
  return song;
}

void DrawMainView(const PlayerModel& player, MainViewCaches& caches, Surface& s) {
  using State = StillPicture::State;
  StillPicture& still = caches.still;
  StillInputs inputs = StillInputsOf(player, caches, s);
  const bool sameStill = still.state != State::None && still.inputs == inputs;
  if (sameStill && still.state == State::Seen && BeginDrawingBackdrop(s)) {
    // The still parts outlived a frame: they are kept, drawn alone on the
    // backdrop. Not in the frame that changed them, which would then cost
    // two whole frames.
    DrawFrame(player, caches, s, false);
    EndDrawingBackdrop(s);
    still.state = State::Kept;
  }
  if (sameStill && still.state == State::Kept && HasBackdrop(s)) {
    // Only the moving parts change: the backdrop goes back where they drew
    // last and they are drawn again over it.
    for (const PixelArea& area : still.moved) RestoreBackdrop(s, area);
    for (int part = 0; part < kMovingParts; ++part) DrawMovingPart(player, s, part, still);
    return;
  }
  DrawFrame(player, caches, s, true);
  still.state = State::Seen;
  still.inputs = std::move(inputs);
}
