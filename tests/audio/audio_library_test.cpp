// SPDX-License-Identifier: GPL-3.0-or-later
// Loading the audio engine as the player does, and the stream's steps on
// its table, against the fake library.
#include "audio/audio_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "audio/stream_control.h"
#include "fake_audio.h"
#include "os/os.h"

namespace {

const std::string kFakeLibrary = std::string(FAKE_BASS_DIR) + "/" + kAudioLibraryFile;

TEST(Loader, LoadsAllEntryPointsBesideTheExecutable) {
  AudioLibrary library;
  ASSERT_TRUE(LoadAudioLibrary(library, FAKE_BASS_DIR));
  EXPECT_NE(library.handle, nullptr);
  const AudioApi& a = library.api;
#define ORVELLE_BASS_CALL(need, result, name, parameters) EXPECT_NE(a.name, nullptr) << #name;
#include "orvelle/bass_calls.h"
#undef ORVELLE_BASS_CALL
  UnloadAudioLibrary(library);
  EXPECT_EQ(library.handle, nullptr);
  EXPECT_EQ(library.api.BASS_Init, nullptr);
}

TEST(Loader, IncompleteLibraryIsNotKept) {
  AudioLibrary library;
  EXPECT_FALSE(LoadAudioLibrary(library, INCOMPLETE_BASS_DIR));
  EXPECT_EQ(library.handle, nullptr);
  EXPECT_EQ(library.api.BASS_Init, nullptr);
}

TEST(Loader, EmptyFileBesideTheExecutableFallsBackToTheSystemSearch) {
  const auto dir = std::filesystem::temp_directory_path() / ("orvelle-loader-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / kAudioLibraryFile).close();  // size zero
  AudioLibrary library;
  // The search finds the fake on this executable's library path (the
  // program's own folder on Windows, its RPATH on Linux).
  ASSERT_TRUE(LoadAudioLibrary(library, dir.string()));
  ASSERT_NE(library.api.BASS_Init, nullptr);
  // The same file loaded again is the same library, with the same calls.
  void* fake = LoadSharedLibrary(kFakeLibrary);
  ASSERT_NE(fake, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(library.api.BASS_Init), FindSymbol(fake, "BASS_Init")) << "not the fake";
  UnloadSharedLibrary(fake);
  UnloadAudioLibrary(library);
  std::filesystem::remove_all(dir);
}

TEST(StreamControl, LiveMeansPlayingOrPaused) {
  ResetFake();
  const AudioApi api = FakeAudioApi();
  EXPECT_FALSE(IsStreamPlaying(api, 0));  // handle 0: asked anyway, answer "stopped"
  EXPECT_EQ(FakeLog().calls, std::vector<std::string>{"BASS_ChannelIsActive(0)"});
  const std::pair<DWORD, bool> answers[] = {{kActivePlaying, true}, {kActivePaused, true},
                                            {kActiveStalled, false}, {kActiveStopped, false}};
  for (const auto& [answer, live] : answers) {
    FakeScript().activeAnswer = answer;
    EXPECT_EQ(IsStreamPlaying(api, 7), live) << answer;
  }
}

}  // namespace
