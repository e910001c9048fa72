// SPDX-License-Identifier: GPL-3.0-or-later
// Network input and decoding. Only the av_*.cpp files see libav headers.
#pragma once

#include <atomic>
#include <vector>

namespace orvelle {

struct AvInput;

struct AvOpenResult {
  AvInput* input = nullptr;  // owned by the caller: CloseAvInput
  int error = 0;             // a BASS_ERROR_* code when `input` is null
};

constexpr int kConnectTimeoutMs = 5000;      // connect, answer and first decoded audio
constexpr int kReadStallTimeoutMs = 20000;   // a live stream silent this long has ended

// Connects to an http or https URL and decodes the first audio, blocking until
// then or until it fails. `abort` (set by another thread) interrupts it.
AvOpenResult OpenAvInput(const char* url, int outputRateHz, const std::atomic<bool>* abort);

// Decodes at least one more packet and appends the frames it gave, as
// interleaved stereo float at the output rate, to `frames`. Returns false once
// the stream has ended, failed or been aborted. One thread at a time.
bool DecodeMore(AvInput* input, std::vector<float>& frames);

void CloseAvInput(AvInput* input);

}  // namespace orvelle
