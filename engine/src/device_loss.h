// SPDX-License-Identifier: GPL-3.0-or-later
// What every output does once its device has gone (unplugged, its sound
// server restarted or crashed): the streams go on at the real-time pace,
// unheard and reading as stalled, while the output tries to open the device
// that is the default now. The platform's output says how to open, wait and
// close; the rules are here, once.
#pragma once

#include <chrono>
#include <functional>

namespace orvelle {

struct Mixer;

// The wait before the try that follows `failedTries` failed ones: the first
// at once, then 100, 200 and 400 ms, then every 500 ms. Often enough that a
// device that comes back is heard within a second, seldom enough that a
// missing one costs nothing.
std::chrono::milliseconds ReopenDelay(int failedTries);

enum class OutputWake { Timeout, Stop, DeviceChange };

// The output's own thread, once its device is closed: tries `open` at once,
// and while it fails marks the mixer lost, mixes the streams unheard at the
// real-time pace, and tries again on the ReopenDelay schedule, or at once when
// `wait` reports a change of devices. `wait` sleeps up to the time it is given
// unless woken. True once `open` succeeded (the mixer no longer lost), false
// when `wait` said to stop: the mixer is then left alone, as another output
// may have it already (BASS_Init clears the mark).
bool MixUnheardUntilReopened(Mixer& mixer, int rateHz, const std::function<bool()>& open,
                             const std::function<OutputWake(std::chrono::milliseconds)>& wait);

}  // namespace orvelle
