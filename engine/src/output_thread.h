// SPDX-License-Identifier: GPL-3.0-or-later
// An output's own thread (the keeper of its device, or its feeder), which
// BASS_Free waits for only a moment: a driver that hangs in a call (a sound
// server that stopped answering) would otherwise hold the host's shutdown as
// long. A thread let go of frees its output itself when it ends, and touches
// the mixer no more once its output is told to stop; the engine's library
// stays loaded until the process ends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace orvelle {

struct OutputThread {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;   // under mutex: the body has returned
  bool letGo = false;  // under mutex: nobody joins it; it frees its output
};

// Runs `body` on a new thread; `freeOutput` runs after it if the thread was
// let go of meanwhile (and frees what holds `t`).
void StartOutputThread(OutputThread& t, std::function<void()> body, std::function<void()> freeOutput);

// Waits up to `limit` for the body to return. True: the thread is joined.
// False: it was let go of.
bool JoinOutputThread(OutputThread& t, std::chrono::milliseconds limit);

// Keeps the engine's library in memory until the process ends, for a thread
// let go of. One file per platform.
void PinEngineLibrary();

}  // namespace orvelle
