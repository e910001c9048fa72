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
// asking for samples) may copy unread frames without taking a lock: the copy
// can at worst see frames that were overwritten meanwhile, never a torn float.
class FrameRing {
 public:
  explicit FrameRing(size_t minCapacityFrames);

  size_t capacityFrames() const { return mask_ + 1; }
  // Frames written and not yet consumed.
  size_t availableFrames() const;

  // Writer only: appends up to `count` frames, returns how many fit.
  size_t write(const float* frames, size_t count);
  // Consumer only: moves up to `count` frames out, returns how many.
  size_t read(float* frames, size_t count);
  // Anyone: copies up to `count` unread frames, skipping the first `skipFrames`,
  // without consuming them.
  size_t peek(float* frames, size_t count, size_t skipFrames = 0) const;

 private:
  std::unique_ptr<std::atomic<float>[]> samples_;
  size_t mask_;
  std::atomic<uint64_t> writtenFrames_{0};   // advanced by the writer only
  std::atomic<uint64_t> consumedFrames_{0};  // advanced by the consumer only
};

}  // namespace orvelle
