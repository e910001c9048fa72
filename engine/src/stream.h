// SPDX-License-Identifier: GPL-3.0-or-later
// One URL stream: its channel, its decoder thread and its spectrum analyser.
// The decoder thread also brings a dropped stream back: after a drop or an
// end it connects again on the reconnect policy's schedule, while the channel
// reads as stalled, unless the stream was stopped or freed meanwhile.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "channel.h"
#include "reconnect_policy.h"

namespace orvelle {

struct AvInput;
struct SpectrumAnalyser;

constexpr int kRingSeconds = 5;            // network buffer: rides out seconds of jitter
constexpr int kPrebufferMs = 100;          // first sound comes quickly...
constexpr int kMaxRefillMs = 2000;         // ...and each underrun asks for a deeper refill
constexpr int kHeardHistoryMs = 1000;      // kept after mixing: more than any device holds unheard

struct Stream {
  Stream(const char* url, int rateHz, const ReconnectPolicy& reconnect);
  ~Stream();

  Channel channel;
  // Fixed at creation: what a reconnection needs.
  const std::string url;
  const int rateHz;
  const ReconnectPolicy reconnect;
  // API thread only: the transform and a copy of the frames it reads.
  SpectrumAnalyser* analyser = nullptr;
  std::vector<float> peekFrames;

  // Set by the API thread to end the decoder thread and any blocking read.
  std::atomic<bool> abort{false};
  std::mutex wakeMutex;           // only pairs with `wake`
  std::condition_variable wake;   // the decoder waits on it while the ring is full or before a reconnection

  AvInput* input = nullptr;       // the decoder thread's once it runs
  std::thread decoder;
};

struct StreamOpenResult {
  std::unique_ptr<Stream> stream;
  int error = 0;  // BASS_ERROR_* when `stream` is null
};

// Connects, decodes the first audio and starts the decoder thread. Blocks.
StreamOpenResult OpenStream(const char* url, int rateHz);

// Ends the decoder thread promptly, interrupting a blocked network read.
void StopDecoder(Stream& stream);

// API thread, after stopping the channel: a decoder waiting to reconnect gives up at once.
void WakeDecoder(Stream& stream);

// The reconnect schedule of streams opened from now on. Tests shorten it.
void SetReconnectPolicy(const ReconnectPolicy& policy);

}  // namespace orvelle
