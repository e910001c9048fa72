// SPDX-License-Identifier: GPL-3.0-or-later
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

FrameRing::FrameRing(size_t minCapacityFrames, size_t historyFrames)
    : samples_(new std::atomic<float>[RoundUpToPowerOfTwo(std::max<size_t>(minCapacityFrames, 2)) * kChannels]),
      mask_(RoundUpToPowerOfTwo(std::max<size_t>(minCapacityFrames, 2)) - 1),
      history_(std::min(historyFrames, (mask_ + 1) / 2)) {
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
  // The frames overwritten here are older than the history kept behind `consumed`.
  const size_t n = std::min(count, writableFrames() - size_t(written - consumed));
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

size_t FrameRing::peek(float* frames, size_t count, ptrdiff_t offsetFrames) const {
  const uint64_t consumed = consumedFrames_.load(std::memory_order_acquire);
  const uint64_t written = writtenFrames_.load(std::memory_order_acquire);
  const uint64_t oldestKept = consumed - std::min<uint64_t>(consumed, history_);
  const uint64_t first = offsetFrames >= 0 ? consumed + uint64_t(offsetFrames)
                                           : std::max(oldestKept, consumed - std::min(consumed, uint64_t(-offsetFrames)));
  if (first >= written) return 0;
  const size_t n = size_t(std::min<uint64_t>(count, written - first));
  for (size_t f = 0; f < n; ++f) {
    const size_t slot = size_t((first + f) & mask_) * kChannels;
    for (int c = 0; c < kChannels; ++c)
      frames[f * kChannels + c] = samples_[slot + c].load(std::memory_order_relaxed);
  }
  return n;
}

}  // namespace orvelle
