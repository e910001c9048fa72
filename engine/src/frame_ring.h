// SPDX-License-Identifier: GPL-3.0-or-later
// A single-producer, single-consumer ring of interleaved stereo float frames.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvelle {

constexpr int kChannels = 2;  // the engine mixes and analyses everything as stereo

// The decoder thread is the only writer, the mixer the only consumer. The
// frames are stored in relaxed atomics so that a third party (the API thread
// asking for samples) may copy frames without taking a lock: the copy can at
// worst see frames that were overwritten meanwhile, never a torn float.
// The last `historyFrames` consumed frames are kept: the device has taken
// them but may not have played them yet, and a reader may want what is heard.
class FrameRing {
 public:
  explicit FrameRing(size_t minCapacityFrames, size_t historyFrames = 0);

  size_t capacityFrames() const { return mask_ + 1; }
  // What the writer may have ahead of the consumer: the capacity less the history.
  size_t writableFrames() const { return mask_ + 1 - history_; }
  size_t historyFrames() const { return history_; }
  // Frames written and not yet consumed.
  size_t availableFrames() const;

  // Writer only: appends up to `count` frames, returns how many fit.
  size_t write(const float* frames, size_t count);
  // Consumer only: moves up to `count` frames out, returns how many.
  size_t read(float* frames, size_t count);
  // Anyone: copies up to `count` frames from `offsetFrames` after the next
  // unread one (before it when negative, as far back as the history kept and
  // the first frame written), without consuming them. Returns how many.
  size_t peek(float* frames, size_t count, ptrdiff_t offsetFrames = 0) const;

 private:
  std::unique_ptr<std::atomic<float>[]> samples_;
  size_t mask_;
  size_t history_;
  std::atomic<uint64_t> writtenFrames_{0};   // advanced by the writer only
  std::atomic<uint64_t> consumedFrames_{0};  // advanced by the consumer only
};

}  // namespace orvelle
