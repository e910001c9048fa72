#include "frame_ring.h"

#include <algorithm>

namespace orvelle {

namespace {

size_t RoundUpToPowerOfTwo(size_t n) {
  size_t p = 1;
  while (p < n) p <<= 1;
  return p;
}

}  // namespace

FrameRing::FrameRing(size_t minCapacityFrames)
    : samples_(new std::atomic<float>[RoundUpToPowerOfTwo(std::max<size_t>(minCapacityFrames, 2)) * kChannels]),
      mask_(RoundUpToPowerOfTwo(std::max<size_t>(minCapacityFrames, 2)) - 1) {
  for (size_t i = 0; i <= mask_ * kChannels + 1; ++i) samples_[i].store(0.0f, std::memory_order_relaxed);
}

size_t FrameRing::availableFrames() const {
  const uint64_t consumed = consumedFrames_.load(std::memory_order_acquire);
  const uint64_t written = writtenFrames_.load(std::memory_order_acquire);
  return size_t(written - consumed);
}

size_t FrameRing::write(const float* frames, size_t count) {
  const uint64_t written = writtenFrames_.load(std::memory_order_relaxed);
  const uint64_t consumed = consumedFrames_.load(std::memory_order_acquire);
  const size_t n = std::min(count, capacityFrames() - size_t(written - consumed));
  for (size_t f = 0; f < n; ++f) {
    const size_t slot = size_t((written + f) & mask_) * kChannels;
    for (int c = 0; c < kChannels; ++c)
      samples_[slot + c].store(frames[f * kChannels + c], std::memory_order_relaxed);
  }
  writtenFrames_.store(written + n, std::memory_order_release);
  return n;
}

size_t FrameRing::read(float* frames, size_t count) {
  const size_t n = peek(frames, count);
  consumedFrames_.store(consumedFrames_.load(std::memory_order_relaxed) + n, std::memory_order_release);
  return n;
}

size_t FrameRing::peek(float* frames, size_t count, size_t skipFrames) const {
  const uint64_t consumed = consumedFrames_.load(std::memory_order_acquire);
  const uint64_t written = writtenFrames_.load(std::memory_order_acquire);
  const size_t available = size_t(written - consumed);
  if (skipFrames >= available) return 0;
  const size_t n = std::min(count, available - skipFrames);
  const uint64_t first = consumed + skipFrames;
  for (size_t f = 0; f < n; ++f) {
    const size_t slot = size_t((first + f) & mask_) * kChannels;
    for (int c = 0; c < kChannels; ++c)
      frames[f * kChannels + c] = samples_[slot + c].load(std::memory_order_relaxed);
  }
  return n;
}

}  // namespace orvelle
