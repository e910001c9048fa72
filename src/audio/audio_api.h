// The calls the player makes into the audio library, loaded at run time.
// The function table is the seam where tests put a fake library.
#pragma once

#include <cstdint>

using DWORD = uint32_t;
using BOOL = int;
using QWORD = uint64_t;
using HSTREAM = DWORD;

constexpr DWORD kAttribVolume = 2;                  // BASS_ATTRIB_VOL
constexpr DWORD kDataFft1024 = 0x80000002;          // 512 magnitudes of a 1024-sample transform
constexpr DWORD kDataFloat = 0x40000000;            // float samples; OR the byte count in
constexpr DWORD kActiveStopped = 0, kActivePlaying = 1, kActiveStalled = 2, kActivePaused = 3;

struct AudioApi {
  BOOL (*BASS_Init)(int device, DWORD freq, DWORD flags, void* win, const void* dsguid) = nullptr;
  int (*BASS_ErrorGetCode)() = nullptr;
  HSTREAM (*BASS_StreamCreateURL)(const char* url, DWORD offset, DWORD flags, void* proc, void* user) = nullptr;
  BOOL (*BASS_ChannelPlay)(DWORD handle, BOOL restart) = nullptr;
  BOOL (*BASS_ChannelStop)(DWORD handle) = nullptr;
  BOOL (*BASS_StreamFree)(HSTREAM handle) = nullptr;
  BOOL (*BASS_ChannelSetAttribute)(DWORD handle, DWORD attrib, float value) = nullptr;
  DWORD (*BASS_ChannelIsActive)(DWORD handle) = nullptr;
  DWORD (*BASS_ChannelGetData)(DWORD handle, void* buffer, DWORD length) = nullptr;
  BOOL (*BASS_Free)() = nullptr;
  BOOL (*BASS_ChannelPause)(DWORD handle) = nullptr;
};

// The loaded library: `handle` is the dlopen handle, nullptr while not loaded.
struct AudioLibrary {
  void* handle = nullptr;
  AudioApi api;
};
