// SPDX-License-Identifier: GPL-3.0-or-later
// The eleven calls of the Orvelle audio engine (libbass.so, libbass.dll), with
// C linkage, and the types and constants they use. The calls themselves are
// listed in bass_calls.h. Every call comes from one application thread; the
// engine plays on threads of its own and never calls back into the application.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef _WIN32
typedef unsigned long DWORD;  // 32 bits there, and what <windows.h> says
#else
typedef uint32_t DWORD;
#endif
typedef int BOOL;
typedef uint64_t QWORD;
typedef DWORD HSTREAM;

// The calling convention of every call. The 32-bit Windows library exports
// __stdcall functions: a caller that took them for cdecl would crash.
#if defined(_WIN32) && !defined(_WIN64)
#define BASSCALL __stdcall
#define BASSDEF(type) __declspec(dllexport) type BASSCALL
#elif defined(_WIN32)
#define BASSCALL
#define BASSDEF(type) __declspec(dllexport) type
#else
#define BASSCALL
#define BASSDEF(type) __attribute__((visibility("default"))) type
#endif

// Error codes answered by BASS_ErrorGetCode.
enum {
  BASS_OK = 0,
  BASS_ERROR_FILEOPEN = 2,   // refused, unknown host, HTTP error status
  BASS_ERROR_DRIVER = 3,     // the audio system itself failed
  BASS_ERROR_HANDLE = 5,     // not a live handle
  BASS_ERROR_INIT = 8,       // BASS_Init not called (or already freed)
  BASS_ERROR_SSL = 10,       // TLS handshake or certificate failure
  BASS_ERROR_ALREADY = 14,   // already initialised / already paused
  BASS_ERROR_ILLTYPE = 19,   // unknown attribute
  BASS_ERROR_ILLPARAM = 20,  // bad URL or argument
  BASS_ERROR_DEVICE = 23,    // no usable output device
  BASS_ERROR_NOPLAY = 24,    // pause of a channel that is not playing
  BASS_ERROR_MEM = 1,        // out of memory or threads
  BASS_ERROR_TIMEOUT = 40,   // no answer within the connection time-out
  BASS_ERROR_FILEFORM = 41,  // the data is not audio we recognise
  BASS_ERROR_CODEC = 44,     // recognised, but no decoder for it
  BASS_ERROR_UNKNOWN = -1,
};

enum {
  BASS_ACTIVE_STOPPED = 0,
  BASS_ACTIVE_PLAYING = 1,
  BASS_ACTIVE_STALLED = 2,
  BASS_ACTIVE_PAUSED = 3,
};

#define BASS_ATTRIB_VOL 2
#define BASS_DATA_AVAILABLE 0
#define BASS_DATA_FFT1024 0x80000002u
#define BASS_DATA_FLOAT 0x40000000u

#define ORVELLE_BASS_CALL(need, result, name, parameters) BASSDEF(result) name parameters;
#include "orvelle/bass_calls.h"
#undef ORVELLE_BASS_CALL

#ifdef __cplusplus
}
#endif
