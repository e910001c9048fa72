// SPDX-License-Identifier: GPL-3.0-or-later
// How far the decoder reads ahead of the mixer.
#pragma once

#include <chrono>
#include <cstddef>

namespace orvelle {

// A live stream arrives at the real-time pace. Reading each packet as it
// lands wakes the decoder tens of times a second; reading ahead until well
// past the refill target and then sleeping while the mixer plays part of it
// down costs a few wake-ups a second. The socket keeps what arrives
// meanwhile, so no jitter protection is lost.
constexpr int kDecodeAheadMs = 500;    // beyond the refill target: stop reading here...
constexpr int kDecodeResumeMs = 200;   // ...and read on once only this much is left beyond it
constexpr int kIdleRecheckMs = 250;    // a full ring that nothing plays down: look again this often
constexpr int kMinDecodePauseMs = 20;  // never a busy loop

struct DecodeLevels {
  size_t bufferedFrames;  // written and not yet mixed
  size_t refillFrames;    // what the mixer waits for after an underrun
  size_t unfitFrames;     // decoded frames the ring has no room for yet
  bool playing;           // whether the mixer is taking frames
  int rateHz;
};

// How long the decoder sleeps before it writes or reads on; zero: at once.
std::chrono::milliseconds DecodePause(const DecodeLevels& levels);

}  // namespace orvelle
