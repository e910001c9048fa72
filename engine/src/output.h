// SPDX-License-Identifier: GPL-3.0-or-later
// The audio device that pulls the mixer.
#pragma once

namespace orvelle {

struct Mixer;
struct Output;

// device -1 is the system's default output; 0 is "no sound", where a timer
// thread consumes the streams at the real-time pace. Returns a BASS_ERROR_*
// code, 0 on success.
int OpenOutput(int device, int rateHz, Mixer* mixer, Output** output);

// Stops the callbacks (none runs once it returns) and closes the device.
void CloseOutput(Output* output);

// A channel was asked to play: the output looks out for its start. Any
// thread but the mixer's.
void ExpectStart(Output* output);

// Drops what the device holds and has not played yet, where it can: the next
// mix is heard next. Any thread but the mixer's.
void DropQueuedSound(Output* output);

}  // namespace orvelle
