// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <thread>

#include "engine_session.h"
#include "station_server.h"

namespace orvelle::test {
namespace {

constexpr DWORD kDataError = 0xFFFFFFFFu;

TEST(EngineApi, CallsBeforeInitFailCleanly) {
  float buffer[512];
  EXPECT_FALSE(BASS_Free());
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_EQ(BASS_StreamCreateURL("http://127.0.0.1:1/", 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_FALSE(BASS_ChannelPlay(1, 0));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BASS_ChannelIsActive(0), DWORD(BASS_ACTIVE_STOPPED));
  EXPECT_EQ(BASS_ChannelGetData(1, buffer, BASS_DATA_FFT1024), kDataError);
}

TEST(EngineApi, InitOnceFreeOnceThenAgain) {
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), 0);
  EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  EXPECT_TRUE(BASS_Free());
  EXPECT_FALSE(BASS_Free());
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_TRUE(BASS_Free());
}

TEST(EngineApi, DevicesOtherThanDefaultAndNoSound) {
  struct Case { int device; DWORD rateHz; int error; } const cases[] = {
      {0, 44100, 0},  // "no sound" still plays streams, silently
      {1, 44100, BASS_ERROR_DEVICE},
      {7, 44100, BASS_ERROR_DEVICE},
      {-2, 44100, BASS_ERROR_DEVICE},
      {-1, 100, BASS_ERROR_ILLPARAM},
      {-1, 10000000, BASS_ERROR_ILLPARAM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    const BOOL ok = BASS_Init(c.device, c.rateHz, 0, nullptr, nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), c.error);
    EXPECT_EQ(ok != 0, c.error == 0);
    if (ok) BASS_Free();
  }
}

TEST(EngineApi, EveryCallWithABadHandleIsSafe) {
  EngineSession session;
  float buffer[1024];
  for (DWORD handle : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(handle);
    EXPECT_FALSE(BASS_ChannelPlay(handle, 1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_ChannelStop(handle));
    EXPECT_FALSE(BASS_ChannelPause(handle));
    EXPECT_FALSE(BASS_StreamFree(handle));
    EXPECT_FALSE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_VOL, 0.5f));
    EXPECT_EQ(BASS_ChannelIsActive(handle), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(BASS_ChannelGetData(handle, buffer, BASS_DATA_FFT1024), kDataError);
    EXPECT_EQ(BASS_ChannelGetData(handle, buffer, BASS_DATA_FLOAT | 4096), kDataError);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  }
}

TEST(EngineApi, TheErrorCodeBelongsToTheCallingThread) {
  EXPECT_FALSE(BASS_Free());
  std::thread other([] {
    EXPECT_EQ(BASS_ErrorGetCode(), 0);
    BASS_ChannelPlay(99, 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  });
  other.join();
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

}  // namespace
}  // namespace orvelle::test
