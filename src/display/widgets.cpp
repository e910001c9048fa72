// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/widgets.h"

#include <cmath>

#include "display/view_colours.h"

namespace {

constexpr uint8_t kShadowAlpha = 40;
constexpr uint8_t kGlowAlpha = 40;

Colour WithAlpha(Colour c, uint8_t alpha) { return Rgba(RedOf(c), GreenOf(c), BlueOf(c), alpha); }

constexpr float kRingWidth = 2;
constexpr float kButtonRingMargin = 9;  // the glow reaches 6 pixels out, the shadow 3 down
constexpr float kSpeakerWidth = 26;     // the speaker glyph left of the track

// Where the ring goes: around the button, or around the speaker, the track
// and the knob at either end.
Box FocusRingBox(const Layout& layout, Control control) {
  if (control == Control::Volume) {
    const Box& track = layout.volumeTrackBox;
    const float knobReach = layout.volumeKnobBox.width / 2 + 3;
    const float above = (layout.volumeKnobBox.height - track.height) / 2 + 9;
    return {track.x - kSpeakerWidth, track.y - above, track.width + kSpeakerWidth + knobReach,
            track.height + 2 * above};
  }
  const Box button = ControlBox(layout, control);
  return {button.x - kButtonRingMargin, button.y - kButtonRingMargin, button.width + 2 * kButtonRingMargin,
          button.height + 2 * kButtonRingMargin};
}

}  // namespace

int LiveDotRadius(float pulsePhase) {
  // A triangle over one cycle of the phase: 0 at both ends, 1 in the middle.
  const float pulse = 1.0f - std::fabs(2.0f * pulsePhase - 1.0f);
  return RoundPixel(pulse * 4.0f + 6.0f);
}

void DrawLiveBadge(const Fonts& fonts, float pulsePhase, Surface& s, int32_t x, int32_t y, int32_t w, int32_t h,
                   bool live) {
  DrawLiveBadgeBox(s, x, y, w, h);
  DrawLiveBadgeSignal(fonts, pulsePhase, s, x, y, h, live);
}

void DrawLiveBadgeBox(Surface& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  // Radii equal to the height: the radius rule turns the box into its ellipse.
  FillRoundedBox(s, float(x), float(y), float(w), float(h), float(h), float(h), kViewColours.badge);
}

void DrawLiveBadgeSignal(const Fonts& fonts, float pulsePhase, Surface& s, int32_t x, int32_t y, int32_t h, bool live) {
  SetDrawMode(s, DrawMode::TransparentText);
  SelectFont(s, fonts.fontSmall);
  const float textY = float(y) + float(h) / 2.0f - 6.0f;
  if (live) {
    FillCircle(s, float(x + 10), float(y + h / 2), float(LiveDotRadius(pulsePhase)), kViewColours.liveDot);
    DrawText(s, u"LIVE", float(x + 22), textY, kViewColours.liveText);
  } else {
    DrawText(s, u"OFF", float(x + 10), textY, kViewColours.offText);
  }
}

void DrawButtonFace(Surface& s, int32_t x, int32_t y, int32_t size, Colour colour, uint8_t glossAlpha) {
  SetDrawMode(s, DrawMode::AlphaBlend);
  const float fx = float(x), fy = float(y), fsize = float(size);
  // Radii equal to the size: each rounded box becomes the ellipse in its box.
  FillRoundedBox(s, fx, fy + 3, fsize, fsize, fsize, fsize, Rgba(0, 0, 0, kShadowAlpha));
  FillRoundedBox(s, fx, fy, fsize, fsize, fsize, fsize, WithAlpha(colour, 255));
  FillCircle(s, float(x + size / 2), float(y + size / 2), float(size / 2 + 6), WithAlpha(colour, kGlowAlpha));
  FillRoundedBox(s, fx + 4, fy + 4, fsize - 8, float((size - 8) / 2), fsize, fsize, Rgba(255, 255, 255, glossAlpha));
  SetDrawMode(s, DrawMode::Opaque);
}

void DrawRoundButton(const Fonts& fonts, Surface& s, int32_t x, int32_t y, int32_t size, bool primary,
                     std::u16string_view glyph) {
  DrawButtonFace(s, x, y, size, primary ? kViewColours.primaryFace : kViewColours.secondaryFace, primary ? 60 : 40);
  SetDrawMode(s, DrawMode::TransparentText);
  SelectFont(s, primary ? fonts.fontPlayGlyph : fonts.fontStopGlyph);
  const float half = float(size) / 2.0f;
  const float width = TextWidth(s, glyph), height = LineHeight(s);
  DrawText(s, glyph, float(x) + half - width / 2.0f, float(y) + half - height / 2.0f, kViewColours.glyph);
}

void DrawFocusRing(const Layout& layout, Control control, Surface& s) {
  if (control == Control::NoControl) return;
  const Box ring = FocusRingBox(layout, control);
  SetDrawMode(s, DrawMode::Opaque);
  const Colour colour = kViewColours.focusRing;
  FillBox(s, ring.x, ring.y, ring.width, kRingWidth, colour);
  FillBox(s, ring.x, ring.y + ring.height - kRingWidth, ring.width, kRingWidth, colour);
  FillBox(s, ring.x, ring.y, kRingWidth, ring.height, colour);
  FillBox(s, ring.x + ring.width - kRingWidth, ring.y, kRingWidth, ring.height, colour);
}
