// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "frame_ring.h"

namespace orvelle {
namespace {

std::vector<float> Frames(size_t count, float first) {
  std::vector<float> v(count * kChannels);
  for (size_t i = 0; i < count; ++i) v[i * 2] = v[i * 2 + 1] = first + float(i);
  return v;
}

TEST(FrameRing, KeepsOrderAcrossTheWrapAndRefusesWhatDoesNotFit) {
  FrameRing ring(6);  // rounded up to 8 frames
  ASSERT_EQ(ring.capacityFrames(), 8u);
  std::vector<float> out(16 * kChannels);
  EXPECT_EQ(ring.write(Frames(6, 0).data(), 6), 6u);
  EXPECT_EQ(ring.read(out.data(), 5), 5u);
  EXPECT_EQ(ring.write(Frames(10, 6).data(), 10), 7u);  // one left + 7 free
  EXPECT_EQ(ring.availableFrames(), 8u);
  EXPECT_EQ(ring.read(out.data(), 16), 8u);
  for (size_t i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(out[i * 2], float(5 + i));
    EXPECT_EQ(out[i * 2 + 1], float(5 + i));
  }
  EXPECT_EQ(ring.read(out.data(), 1), 0u);
}

TEST(FrameRing, PeekLeavesTheFramesForTheConsumer) {
  FrameRing ring(8);
  ring.write(Frames(5, 10).data(), 5);
  std::vector<float> out(8 * kChannels);
  EXPECT_EQ(ring.peek(out.data(), 3, 1), 3u);
  EXPECT_EQ(out[0], 11.0f);
  EXPECT_EQ(out[4], 13.0f);
  EXPECT_EQ(ring.peek(out.data(), 8, 4), 1u);
  EXPECT_EQ(ring.peek(out.data(), 8, 5), 0u);
  EXPECT_EQ(ring.availableFrames(), 5u);
  EXPECT_EQ(ring.read(out.data(), 8), 5u);
  EXPECT_EQ(out[0], 10.0f);
}

// What the device took but has not played is kept for readers: the writer
// leaves it alone, and a peek can start that far behind the consumer.
TEST(FrameRing, KeepsTheConsumedHistoryForReaders) {
  FrameRing ring(16, 4);
  EXPECT_EQ(ring.writableFrames(), 12u);
  std::vector<float> out(16 * kChannels);
  EXPECT_EQ(ring.write(Frames(16, 0).data(), 16), 12u);
  EXPECT_EQ(ring.read(out.data(), 10), 10u);  // frames 0..9 consumed, 6..9 kept
  EXPECT_EQ(ring.write(Frames(10, 12).data(), 10), 10u);  // writes up to frame 21, over frames 0..5 only
  struct Case { ptrdiff_t offset; size_t count, got; float first; } const cases[] = {
      {-4, 6, 6, 6.0f},    // the oldest kept
      {-9, 2, 2, 6.0f},    // further back than kept: from the oldest kept
      {-1, 16, 13, 9.0f},  // across the consumer, up to the last written
      {3, 2, 2, 13.0f},
      {12, 2, 0, 0.0f},    // beyond the last written
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    EXPECT_EQ(ring.peek(out.data(), c.count, c.offset), c.got);
    if (c.got > 0) {
      EXPECT_EQ(out[0], c.first);
    }
  }
  FrameRing fresh(16, 4);  // nothing consumed yet: nothing behind
  fresh.write(Frames(3, 7).data(), 3);
  EXPECT_EQ(fresh.peek(out.data(), 2, -4), 2u);
  EXPECT_EQ(out[0], 7.0f);
}

// One writer, one consumer and a peeker at full speed: the consumer sees every
// frame once and in order (ThreadSanitizer checks the rest).
TEST(FrameRing, WriterConsumerAndPeekerRunTogether) {
  constexpr size_t kTotal = 200000;
  FrameRing ring(1024);
  std::thread writer([&] {
    size_t next = 0;
    while (next < kTotal) {
      const auto chunk = Frames(std::min<size_t>(100, kTotal - next), float(next));
      next += ring.write(chunk.data(), chunk.size() / kChannels);
      if (next < kTotal) std::this_thread::yield();
    }
  });
  std::atomic<bool> done{false};
  std::thread peeker([&] {
    std::vector<float> view(64 * kChannels);
    while (!done.load()) ring.peek(view.data(), 64);
  });
  std::vector<float> out(256 * kChannels);
  size_t expected = 0;
  bool inOrder = true;
  while (expected < kTotal) {
    const size_t n = ring.read(out.data(), 256);
    for (size_t i = 0; i < n; ++i) inOrder = inOrder && out[i * 2] == float(expected + i);
    expected += n;
  }
  done = true;
  writer.join();
  peeker.join();
  EXPECT_TRUE(inOrder);
}

}  // namespace
}  // namespace orvelle
