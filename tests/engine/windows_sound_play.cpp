// SPDX-License-Identifier: GPL-3.0-or-later
// The player's side of the Windows sound tests: loads libbass.dll from its
// own folder, as the player does, resolves its calls through pointers of
// the library's calling convention, and plays a local 1 kHz station at half
// volume for a few seconds. windows_sound_test.sh records and judges the sound.
// With "follow LOG SECONDS" it plays that long and writes each change of the
// stream's state to LOG as it happens, for windows_sound_follow_test.sh,
// which takes the sound server away and back meanwhile; then it times stop,
// free and BASS_Free.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "orvelle/bass.h"
#include "station_server.h"

namespace {

constexpr float kVolume = 0.5f;
constexpr auto kPlayTime = std::chrono::milliseconds(2500);

template <typename Fn>
bool Resolve(HMODULE library, const char* name, Fn& slot) {
  slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  if (slot == nullptr) std::printf("FAIL: libbass.dll has no %s\n", name);
  return slot != nullptr;
}

std::wstring BesideThisProgram(const wchar_t* file) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + file;
}

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The wall clock, which the script that reads the log shares.
long long UnixMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const long long ticks = (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return ticks / 10000 - 11644473600000LL;  // from 100 ns since 1601
}

// The calls the tests make.
struct Bass {
  decltype(&BASS_Init) init;
  decltype(&BASS_Free) free;
  decltype(&BASS_ErrorGetCode) error;
  decltype(&BASS_StreamCreateURL) create;
  decltype(&BASS_ChannelPlay) play;
  decltype(&BASS_ChannelStop) stop;
  decltype(&BASS_ChannelSetAttribute) setAttribute;
  decltype(&BASS_ChannelIsActive) isActive;
  decltype(&BASS_StreamFree) streamFree;
};

bool ResolveAll(HMODULE library, Bass& bass) {
  return Resolve(library, "BASS_Init", bass.init) && Resolve(library, "BASS_Free", bass.free) &&
         Resolve(library, "BASS_ErrorGetCode", bass.error) && Resolve(library, "BASS_StreamCreateURL", bass.create) &&
         Resolve(library, "BASS_ChannelPlay", bass.play) && Resolve(library, "BASS_ChannelStop", bass.stop) &&
         Resolve(library, "BASS_ChannelSetAttribute", bass.setAttribute) &&
         Resolve(library, "BASS_ChannelIsActive", bass.isActive) && Resolve(library, "BASS_StreamFree", bass.streamFree);
}

// Notes each state of `stream` in `logPath` as it changes, for `seconds`;
// then times what must stay prompt whatever the device does.
int Follow(const Bass& bass, HSTREAM stream, const char* logPath, double seconds) {
  FILE* log = std::fopen(logPath, "wb");  // "\n" ends a line, as the script reads them
  if (log == nullptr) {
    std::printf("FAIL: cannot write %s\n", logPath);
    return 1;
  }
  const auto start = Clock::now();
  DWORD last = 0xFFFFFFFFu;
  while (MsSince(start) < seconds * 1000) {
    if (const DWORD state = bass.isActive(stream); state != last) {
      std::fprintf(log, "state %lu at %lld\n", state, UnixMs());
      std::fflush(log);
      last = state;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::fclose(log);
  const auto timed = [](auto call) {
    const auto at = Clock::now();
    call();
    return MsSince(at);
  };
  const double stopMs = timed([&] { bass.stop(stream); });
  const double freeMs = timed([&] { bass.streamFree(stream); });
  const double engineFreeMs = timed([&] { bass.free(); });
  std::printf("followed stop_ms=%.1f free_ms=%.1f bass_free_ms=%.1f\n", stopMs, freeMs, engineFreeMs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool follow = argc == 4 && std::strcmp(argv[1], "follow") == 0;
  orvelle::test::StationServer station({.audioPath = orvelle::test::Fixture("sine1k.mp3"), .burstSeconds = 1.0});
  const HMODULE library = LoadLibraryW(BesideThisProgram(L"libbass.dll").c_str());
  if (library == nullptr) {
    std::printf("FAIL: cannot load libbass.dll (error %lu)\n", GetLastError());
    return 1;
  }
  Bass bass;
  if (!ResolveAll(library, bass)) return 1;
  if (!bass.init(-1, 44100, 0, nullptr, nullptr)) {
    std::printf("FAIL: BASS_Init error %d\n", bass.error());
    return 1;
  }
  const HSTREAM stream = bass.create(station.url().c_str(), 0, 0, nullptr, nullptr);
  if (stream == 0) {
    std::printf("FAIL: BASS_StreamCreateURL error %d\n", bass.error());
    bass.free();
    return 1;
  }
  bass.setAttribute(stream, BASS_ATTRIB_VOL, kVolume);
  const auto start = Clock::now();
  bass.play(stream, 0);
  if (follow) {
    const int code = Follow(bass, stream, argv[2], std::atof(argv[3]));
    FreeLibrary(library);
    return code;
  }
  while (bass.isActive(stream) != BASS_ACTIVE_PLAYING && Clock::now() - start < kPlayTime)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const double firstSoundMs = MsSince(start);
  std::this_thread::sleep_until(start + kPlayTime);
  const DWORD state = bass.isActive(stream);
  bass.streamFree(stream);
  bass.free();
  FreeLibrary(library);
  if (state != BASS_ACTIVE_PLAYING) {
    std::printf("FAIL: the stream was in state %lu after playing, not playing\n", state);
    return 1;
  }
  std::printf("played first_sound_ms=%.1f volume=%.2f\n", firstSoundMs, kVolume);
  return 0;
}
