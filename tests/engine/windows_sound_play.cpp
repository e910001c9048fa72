// SPDX-License-Identifier: GPL-3.0-or-later
// The player's side of the Windows sound test: loads libbass.dll from its
// own folder, as the player does, resolves its calls through pointers of
// the library's calling convention, and plays a local 1 kHz station at half
// volume for a few seconds. windows_sound_test.sh records and judges the sound.
#include <windows.h>

#include <chrono>
#include <cstdio>
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

}  // namespace

int main() {
  orvelle::test::StationServer station({.audioPath = orvelle::test::Fixture("sine1k.mp3"), .burstSeconds = 1.0});
  const HMODULE library = LoadLibraryW(BesideThisProgram(L"libbass.dll").c_str());
  if (library == nullptr) {
    std::printf("FAIL: cannot load libbass.dll (error %lu)\n", GetLastError());
    return 1;
  }
  decltype(&BASS_Init) init;
  decltype(&BASS_Free) free;
  decltype(&BASS_ErrorGetCode) error;
  decltype(&BASS_StreamCreateURL) create;
  decltype(&BASS_ChannelPlay) play;
  decltype(&BASS_ChannelSetAttribute) setAttribute;
  decltype(&BASS_ChannelIsActive) isActive;
  decltype(&BASS_StreamFree) streamFree;
  if (!Resolve(library, "BASS_Init", init) || !Resolve(library, "BASS_Free", free) ||
      !Resolve(library, "BASS_ErrorGetCode", error) || !Resolve(library, "BASS_StreamCreateURL", create) ||
      !Resolve(library, "BASS_ChannelPlay", play) || !Resolve(library, "BASS_ChannelSetAttribute", setAttribute) ||
      !Resolve(library, "BASS_ChannelIsActive", isActive) || !Resolve(library, "BASS_StreamFree", streamFree))
    return 1;

  if (!init(-1, 44100, 0, nullptr, nullptr)) {
    std::printf("FAIL: BASS_Init error %d\n", error());
    return 1;
  }
  const HSTREAM stream = create(station.url().c_str(), 0, 0, nullptr, nullptr);
  if (stream == 0) {
    std::printf("FAIL: BASS_StreamCreateURL error %d\n", error());
    free();
    return 1;
  }
  setAttribute(stream, BASS_ATTRIB_VOL, kVolume);
  const auto start = std::chrono::steady_clock::now();
  play(stream, 0);
  while (isActive(stream) != BASS_ACTIVE_PLAYING && std::chrono::steady_clock::now() - start < kPlayTime)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const double firstSoundMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::this_thread::sleep_until(start + kPlayTime);
  const DWORD state = isActive(stream);
  streamFree(stream);
  free();
  FreeLibrary(library);
  if (state != BASS_ACTIVE_PLAYING) {
    std::printf("FAIL: the stream was in state %lu after playing, not playing\n", state);
    return 1;
  }
  std::printf("played first_sound_ms=%.1f volume=%.2f\n", firstSoundMs, kVolume);
  return 0;
}
