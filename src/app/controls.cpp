// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSteps = 100 / kVolumeStepPercent;
// A volume that reads as a step in whole percent (within half of one) counts
// as on it: from 85 % the key goes a whole step on, to 90 %, not to 85.
constexpr float kOnStep = 0.5f * float(kSteps) / 100.0f;

}  // namespace

Command PressCommand(Control control) {
  return {control == Control::Stop ? Command::Kind::Stop : Command::Kind::Play};
}

bool ControlPressed(Control control, const PlaybackState& playback) {
  return control == Control::Play && playback.streamLive;
}

Control NextControl(Control control, bool backwards) {
  const int count = kControlCount;
  int index = int(control) - 1;  // -1 for NoControl
  if (index < 0) index = backwards ? count - 1 : 0;
  else index = (index + (backwards ? count - 1 : 1)) % count;
  return kControls[index].control;
}

float StepVolume(float volume, int direction) {
  const float steps = std::clamp(volume, 0.0f, 1.0f) * float(kSteps);
  const float next = direction > 0 ? std::floor(steps + kOnStep) + 1 : std::ceil(steps - kOnStep) - 1;
  return std::clamp(next, 0.0f, float(kSteps)) / float(kSteps);
}

int VolumePercent(float volume) { return int(std::lround(std::clamp(volume, 0.0f, 1.0f) * 100.0f)); }
