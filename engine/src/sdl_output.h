// SPDX-License-Identifier: GPL-3.0-or-later
// The output through SDL, where no sound server answers.
#pragma once

#include <atomic>
#include <functional>

namespace orvelle {

struct Mixer;
struct SdlOutput;

// Opens SDL's default audio device, pulled by `mixer`, unless `cancelled` is
// set meanwhile (the open may hang in the driver). `lost` is called on SDL's
// own thread once SDL says the device was removed; it must not call back in
// here. A BASS_ERROR_* code, 0 on success.
int OpenSdlOutput(int rateHz, Mixer* mixer, const std::atomic<bool>& cancelled, std::function<void()> lost,
                  SdlOutput** output);

// No callback runs once it returns.
void CloseSdlOutput(SdlOutput* output);

}  // namespace orvelle
