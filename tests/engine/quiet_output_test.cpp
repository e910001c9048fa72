// The player keeps no log, so the engine must not leave the sound system's
// complaints on the terminal it was started from. ALSA's are Linux's own.
#if defined(__linux__)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

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

}  // namespace
}  // namespace orvelle::test
#endif
