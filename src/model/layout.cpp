// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/layout.h"

void ComputeLayout(Layout& layout, float volume) {
  layout.coverBox = {18, 18, 250, 250};
  // The text boxes are wider than what is left of the surface; text fitting
  // uses the full 640 and the surface edge cuts the rest.
  layout.titleBox = {280, 24, 640, 34};
  layout.artistBox = {280, 55, 640, 26};
  layout.visualizerBox = {285, 90, 500, 90};
  layout.playButtonBox = {290, 220, 32, 32};
  layout.stopButtonBox = {350, 220, 32, 32};
  layout.volumeTrackBox = {440, 235, 180, 6};
  layout.volumeKnobBox = {0, 0, 18, 18};
  layout.liveBadgeBox = {740, 235, 44, 24};
  PlaceVolumeKnob(layout, volume);
}

void PlaceVolumeKnob(Layout& layout, float volume) {
  const Box& track = layout.volumeTrackBox;
  Box& knob = layout.volumeKnobBox;
  knob.x = track.x + volume * track.width - knob.width / 2;
  knob.y = track.y - (knob.height - track.height) / 2;
}

Box ControlBox(const Layout& layout, Control control) {
  // The volume area reaches 10 pixels beyond the track's ends and 12 above and below it.
  constexpr float kVolumeGrabX = 10;
  constexpr float kVolumeGrabY = 12;
  switch (control) {
    case Control::Play: return layout.playButtonBox;
    case Control::Stop: return layout.stopButtonBox;
    case Control::Volume: {
      const Box& track = layout.volumeTrackBox;
      return {track.x - kVolumeGrabX, track.y - kVolumeGrabY, track.width + 2 * kVolumeGrabX,
              track.height + 2 * kVolumeGrabY};
    }
    case Control::NoControl: break;
  }
  return {};
}
