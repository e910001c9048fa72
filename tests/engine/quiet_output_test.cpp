// SPDX-License-Identifier: GPL-3.0-or-later
// The player keeps no log, so the engine must not leave the sound system's
// complaints on the terminal it was started from. ALSA's are Linux's own. Nor
// may a sound system that never answers hold the player's start.
#if defined(__linux__)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "orvelle/bass.h"
#include "station_server.h"

namespace orvelle::test {
namespace {

TEST(QuietOutput, NoSoundDeviceFailsWithoutWritingToStderr) {
  char pattern[] = "/tmp/orvelle-alsa-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  // ALSA with an empty configuration knows no "default" device, whatever
  // the machine has, and says so on stderr unless told otherwise.
  std::ofstream(dir + "/asound.conf").close();
  setenv("SDL_AUDIODRIVER", "alsa", 1);
  setenv("ALSA_CONFIG_PATH", (dir + "/asound.conf").c_str(), 1);

  std::fflush(stderr);
  const int terminal = dup(2);
  const int captured = open((dir + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(captured, 0);
  dup2(captured, 2);
  const BOOL initialised = BASS_Init(-1, 44100, 0, nullptr, nullptr);
  const int error = BASS_ErrorGetCode();
  std::fflush(stderr);
  dup2(terminal, 2);
  close(terminal);
  close(captured);

  EXPECT_FALSE(initialised);
  EXPECT_EQ(error, BASS_ERROR_DEVICE);
  EXPECT_EQ(ReadFile(dir + "/stderr"), "");
  std::filesystem::remove_all(dir);
}

// A sound server that takes the connection and never says a word (a hung
// daemon): BASS_Init gives up within seconds, as SDL would wait for it for ever.
TEST(QuietOutput, ASoundServerThatNeverAnswersFailsInitWithinSeconds) {
#if defined(__SANITIZE_THREAD__)
  // libpulse hands its objects between threads with atomics of its own,
  // which ThreadSanitizer cannot see; the bound is no matter of threads.
  GTEST_SKIP() << "libpulse is not instrumented";
#endif
  char pattern[] = "/tmp/orvelle-pulse-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string path = std::string(pattern) + "/native";
  const int server = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(server, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(server, 4), 0);  // connections wait in the backlog, unanswered
  setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);
  setenv("SDL_AUDIODRIVER", "pulseaudio", 1);

  const auto start = std::chrono::steady_clock::now();
  const BOOL initialised = BASS_Init(-1, 44100, 0, nullptr, nullptr);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(initialised);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  EXPECT_LT(took, std::chrono::seconds(10));
  if (initialised) BASS_Free();
  close(server);
  std::filesystem::remove_all(pattern);
}

}  // namespace
}  // namespace orvelle::test
#endif
