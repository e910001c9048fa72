// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the engine tests.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "orvelle/bass.h"
#include "reconnect_policy.h"

namespace orvelle::test {

// The engine initialised on the default device (SDL's dummy driver in the
// tests) for the lifetime of the object.
class EngineSession {
 public:
  EngineSession();
  ~EngineSession();
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

// The reconnect schedule of the streams a test opens, the engine's own again
// afterwards.
class ScopedReconnectPolicy {
 public:
  explicit ScopedReconnectPolicy(const ReconnectPolicy& policy);
  ~ScopedReconnectPolicy();
};

// Polls `condition` every 5 ms; false if it never held within `timeoutMs`.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

// Opens `url` and plays it; 0 (with a test failure) if it never sounds.
HSTREAM OpenPlaying(const std::string& url);

std::array<float, 512> Spectrum(HSTREAM stream);

// Threads of this process right now.
int ThreadCount();

}  // namespace orvelle::test
