// Headless driver for the engine benchmark: open a URL, play it for a while,
// free it. Prints how long the open took, when the first sound was handed to
// the output device, the state at the end and how long the free took.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "orvelle/bass.h"

namespace {

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s URL [seconds]\n", argv[0]);
    return 2;
  }
  const double seconds = argc > 2 ? std::atof(argv[2]) : 30.0;
  if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    std::fprintf(stderr, "BASS_Init failed: %d\n", BASS_ErrorGetCode());
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  const HSTREAM stream = BASS_StreamCreateURL(argv[1], 0, 0, nullptr, nullptr);
  const double openMs = MsSince(start);
  if (stream == 0) {
    std::fprintf(stderr, "BASS_StreamCreateURL failed: %d after %.1f ms\n", BASS_ErrorGetCode(), openMs);
    BASS_Free();
    return 1;
  }
  BASS_ChannelPlay(stream, 0);
  // "Playing" means the mixer has put the stream's first frames into a device period.
  while (BASS_ChannelIsActive(stream) != BASS_ACTIVE_PLAYING && MsSince(start) < 10000)
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  const double firstSoundMs = MsSince(start);
  std::printf("open_ms=%.1f first_sound_ms=%.1f\n", openMs, firstSoundMs);
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds) - std::chrono::milliseconds(int(firstSoundMs)));
  const DWORD state = BASS_ChannelIsActive(stream);
  const auto freeStart = std::chrono::steady_clock::now();
  BASS_StreamFree(stream);
  std::printf("state=%u free_ms=%.1f\n", unsigned(state), MsSince(freeStart));
  BASS_Free();
  return state == BASS_ACTIVE_PLAYING ? 0 : 3;
}
