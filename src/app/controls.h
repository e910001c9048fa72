// SPDX-License-Identifier: GPL-3.0-or-later
// The window's three controls as the keyboard and assistive technologies
// meet them: the play and stop buttons and the volume slider, with their
// names, their places on the surface and what pressing them runs. The
// pointer finds them in the layout (ControlBox, model/layout.h); the keys
// (app/keys.h) and each platform's accessibility glue go through here.
#pragma once

#include "app/commands.h"
#include "model/layout.h"
#include "model/player_model.h"

struct ControlDescription {
  Control control;
  const char* name;  // UTF-8, what a screen reader says
  bool slider;       // the volume slider; the others are push buttons
};

// In the order Tab moves through them.
inline constexpr ControlDescription kControls[] = {
    {Control::Play, "Lecture", false},
    {Control::Stop, "Arr\u00EAt", false},
    {Control::Volume, "Volume", true},
};
inline constexpr int kControlCount = 3;

// One volume step of the keys and of assistive technologies, in percent.
inline constexpr int kVolumeStepPercent = 5;

// What a press on the button runs; Play for the slider too, which has none
// (callers ask only for buttons).
Command PressCommand(Control control);

// Shown pressed: the play button while the badge reads LIVE.
bool ControlPressed(Control control, const PlaybackState& playback);

// The next (or previous) control in Tab order, wrapping; from NoControl the first (or last).
Control NextControl(Control control, bool backwards);

// The volume one step up (+1) or down (-1) from `volume`: to the next
// multiple of the step in that direction, within 0 to 1.
float StepVolume(float volume, int direction);

// The volume as a whole percentage, as the slider's value reads.
int VolumePercent(float volume);
