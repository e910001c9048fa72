#include "display/main_view.h"

#include "display/gradient.h"
#include "display/text_fit.h"
#include "display/visualizer.h"
#include "display/widgets.h"

namespace {

constexpr Colour kBackground = Rgb(2, 8, 20);
constexpr Colour kGradientTop = Rgb(6, 14, 32);
constexpr int32_t kGradientWidth = 740;   // the strip on the right keeps the flat background
constexpr int32_t kGradientHeight = 320;  // the last 20 rows fall below the surface
constexpr Colour kPlaceholder = Rgb(45, 55, 75);
constexpr Colour kPlaceholderText = Rgb(180, 190, 210);
constexpr Colour kTitleText = Rgb(235, 242, 255);
constexpr Colour kArtistText = Rgb(190, 205, 230);
constexpr Colour kPanel = Rgb(20, 26, 40);
constexpr float kPanelMargin = 6;
constexpr float kPanelRadius = 10;
constexpr Colour kSpeaker = Rgb(200, 200, 220);
constexpr Colour kTrack = Rgb(80, 90, 110);
constexpr Colour kTrackFill = Rgb(60, 140, 255);
constexpr Colour kKnob = Rgb(220, 225, 235);
constexpr float kKnobRadius = 10;  // cut to 9 by the radius rule: a disc

void DrawCover(const PlayerModel& player, const DeviceCover& sharp, Surface& s) {
  const Box& box = player.layout.coverBox;
  if (player.coverScaled != nullptr && sharp.picture != nullptr && sharp.scale == SurfaceScale(s) &&
      SurfaceScale(s) > 1) {
    // Its device pixels land one to one on the surface's.
    DrawPictureStretched(s, *sharp.picture, box.x, box.y, box.width, box.height);
  } else if (player.coverScaled != nullptr) {
    DrawPicture(s, *player.coverScaled, box.x, box.y);
  } else if (player.coverImage != nullptr) {
    DrawPictureStretched(s, *player.coverImage, box.x, box.y, box.width, box.height);
  } else {
    FillBox(s, box.x, box.y, box.width, box.height, kPlaceholder);
    SetDrawMode(s, DrawMode::TransparentText);
    SelectFont(s, player.fonts.fontLabel);
    DrawText(s, u"Pochette", box.x + 12, box.y + 12, kPlaceholderText);
  }
}

void DrawSongLines(const PlayerModel& player, FittedTextCache& fitted, Surface& s) {
  const ArtistTitle song = ShownSong(player.currentSong);
  const Box& titleBox = player.layout.titleBox;
  const Box& artistBox = player.layout.artistBox;
  SelectFont(s, player.fonts.fontTitle);
  DrawText(s, FitTextToWidth(s, fitted, song.title, titleBox.width), titleBox.x, titleBox.y, kTitleText);
  SelectFont(s, player.fonts.fontArtist);
  DrawText(s, FitTextToWidth(s, fitted, song.artist, artistBox.width), artistBox.x, artistBox.y, kArtistText);
}

void DrawVolumeSlider(const PlayerModel& player, Surface& s) {
  const Box& track = player.layout.volumeTrackBox;
  SelectFont(s, player.fonts.fontLabel);
  DrawText(s, u"\U0001F508", track.x - 22, track.y - 6, kSpeaker);
  FillBox(s, track.x, track.y, track.width, track.height, kTrack);
  FillBox(s, track.x, track.y, player.volume * track.width, track.height, kTrackFill);
  const Box& knob = player.layout.volumeKnobBox;
  FillRoundedBox(s, knob.x, knob.y, knob.width, knob.height, kKnobRadius, kKnobRadius, kKnob);
}

}  // namespace

ArtistTitle ShownSong(const Text& nowPlaying) {
  ArtistTitle song = SplitNowPlaying(nowPlaying);
  if (song.title.empty()) song.title = u"Titre inconnu";
  if (song.artist.empty()) song.artist = u"Artiste inconnu";
  return song;
}

void DrawMainView(const PlayerModel& player, MainViewCaches& caches, Surface& s) {
  const Layout& layout = player.layout;

  if (SurfaceScale(s) == 1) {
    FillBox(s, 0, 0, float(SurfaceWidth(s)), float(SurfaceHeight(s)), kBackground);
  } else {
    // The opaque gradient covers all but the strip on the right: at device
    // resolution, filling under it would be a pass over the picture for nothing.
    FillBox(s, kGradientWidth, 0, float(SurfaceWidth(s) - kGradientWidth), float(SurfaceHeight(s)), kBackground);
  }
  DrawVerticalGradient(s, caches.gradient, 0, 0, kGradientWidth, kGradientHeight, kGradientTop,
                       kBackground);

  const Box& badge = layout.liveBadgeBox;
  DrawLiveBadge(player, s, RoundPixel(badge.x), RoundPixel(badge.y), RoundPixel(badge.width),
                RoundPixel(badge.height), player.streamLive);

  DrawCover(player, caches.deviceCover, s);
  SetDrawMode(s, DrawMode::TransparentText);
  DrawSongLines(player, caches.fittedTexts, s);

  const Box& play = layout.playButtonBox;
  const Box& stop = layout.stopButtonBox;
  DrawRoundButton(player, s, RoundPixel(play.x), RoundPixel(play.y), RoundPixel(play.width), true, u"\u25B6");
  DrawRoundButton(player, s, RoundPixel(stop.x), RoundPixel(stop.y), RoundPixel(stop.width), false, u"\u25A0");

  const Box& panel = layout.visualizerBox;
  FillRoundedBox(s, panel.x - kPanelMargin, panel.y - kPanelMargin, panel.width + 2 * kPanelMargin,
                 panel.height + 2 * kPanelMargin, kPanelRadius, kPanelRadius, kPanel);
  DrawVisualizer(player, s, RoundPixel(panel.x), RoundPixel(panel.y), RoundPixel(panel.width),
                 RoundPixel(panel.height));

  DrawVolumeSlider(player, s);
}
