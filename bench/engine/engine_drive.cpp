// SPDX-License-Identifier: GPL-3.0-or-later
// Headless driver for the engine benchmark: open a URL, play it for a while,
// free it. Prints how long the open took, when the first sound was handed to
// the output device, the state at the end and how long the free took.
// With ORVELLE_RECORDING naming the file a recorder of the sink writes (raw
// stereo float at 44.1 kHz), it also reads in it when the listener heard the
// first sound after the play call, and the last one after the free call.
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "orvelle/bass.h"

namespace {

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

constexpr size_t kRecordFrameBytes = 2 * sizeof(float);
constexpr double kRecordRateHz = 44100;
constexpr float kSoundLevel = 0.01f;

// Frames the recorder has written so far; 0 without a recording.
size_t RecordedFrames(const char* path) {
  struct stat st {};
  return path != nullptr && stat(path, &st) == 0 ? size_t(st.st_size) / kRecordFrameBytes : 0;
}

// One pass over the recording from the play call to a second after the free
// call, a second at a time (the driver's own memory is being measured): the
// first sound after the play call, silences of 10 ms or more after it and
// before the free call (a stream that ran dry), and the last sound after the
// free call. The recorder lags the sink by its latency, so a sound that ends
// at once ends before the free call's mark: its last sound is looked for
// from half a second before it, and the figure may be negative.
void PrintHeard(const char* path, size_t playMark, size_t freeMark) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(std::streamoff(playMark * kRecordFrameBytes));
  std::vector<float> chunk(size_t(kRecordRateHz) * 2);
  const size_t end = freeMark + size_t(kRecordRateHz), tailFrom = freeMark - std::min(freeMark, size_t(22050));
  long first = -1, last = -1;
  size_t silent = 0;
  int gaps = 0;
  for (size_t at = playMark; at < end && in;) {
    in.read(reinterpret_cast<char*>(chunk.data()), std::streamsize(chunk.size() * sizeof(float)));
    const size_t frames = size_t(in.gcount()) / kRecordFrameBytes;
    for (size_t i = 0; i < frames && at < end; ++i, ++at) {
      const bool loud = std::fabs(chunk[i * 2]) > kSoundLevel || std::fabs(chunk[i * 2 + 1]) > kSoundLevel;
      if (loud && first >= 0 && at < freeMark && silent >= size_t(kRecordRateHz) / 100) ++gaps;
      if (loud && first < 0 && at < playMark + 3 * size_t(kRecordRateHz)) first = long(at);
      if (loud && at >= tailFrom) last = long(at);
      silent = loud ? 0 : silent + 1;
    }
  }
  const auto ms = [](long frame, size_t mark) { return (double(frame) - double(mark)) * 1000 / kRecordRateHz; };
  std::printf("first_heard_ms=%.1f stop_heard_ms=%.1f gaps=%d\n", first < 0 ? -1.0 : ms(first, playMark),
              last < 0 ? -1.0 : ms(last + 1, freeMark), gaps);
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
  // A player initialises its output at start-up, well before the listener
  // presses play; PulseAudio takes close to a second to ask a new stream for
  // its second period, which would otherwise count as the station's delay.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const char* recording = std::getenv("ORVELLE_RECORDING");
  const size_t playMark = RecordedFrames(recording);
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
  const size_t freeMark = RecordedFrames(recording);
  BASS_StreamFree(stream);
  std::printf("state=%u free_ms=%.1f\n", unsigned(state), MsSince(freeStart));
  if (recording != nullptr) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));  // the tail, if any, is recorded
    PrintHeard(recording, playMark, freeMark);
  }
  BASS_Free();
  return state == BASS_ACTIVE_PLAYING ? 0 : 3;
}
