// SPDX-License-Identifier: GPL-3.0-or-later
// The output straight to PulseAudio, where a sound server answers: few
// wake-ups and a buffer that can be dropped.
#pragma once

#include <atomic>
#include <functional>

namespace orvelle {

struct Mixer;
struct PulseOutput;

// Connects to the sound server (never starting one) and opens a playback
// stream pulled by `mixer`; null when there is no server or it refuses, when
// `cancelled` is set meanwhile (by any thread), or (with `timedOut` set) when
// the server has not answered within seconds. Once it is open, `lost` is
// called on libpulse's thread when the server goes away or drops the stream;
// it must not call back in here.
PulseOutput* OpenPulseOutput(int rateHz, Mixer* mixer, const std::atomic<bool>& cancelled,
                             std::function<void()> lost, bool* timedOut);

// No write runs once it returns; what the stream held is not played.
void ClosePulseOutput(PulseOutput* output);

// A channel was asked to play: until it can, it is looked at often, so that
// the queue is dropped for it as soon as it is ready rather than at the next
// request.
void LookForPulseStart(PulseOutput* output);

// Drops what the stream holds: the server asks at once for a full buffer,
// which the mixer fills from what is to be heard now.
void DropPulseQueue(PulseOutput* output);

}  // namespace orvelle
