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

}  // namespace orvelle
