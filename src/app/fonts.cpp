// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/fonts.h"

namespace {

// The one face of every font; where it is missing, the backend's font
// matching picks its fallback (Noto Sans or DejaVu Sans on Debian).
constexpr const char* kFace = "Segoe UI";

}  // namespace

void LoadFonts(Fonts& fonts) {
  fonts.fontSmall = {kFace, 10};
  fonts.fontLabel = {kFace, 12};
  fonts.fontAbout = {kFace, 10};
  fonts.fontArtist = {kFace, 12};
  fonts.fontTitle = {kFace, 18};
  fonts.fontStopGlyph = {kFace, 22};
  fonts.fontPlayGlyph = {kFace, 26};
}
