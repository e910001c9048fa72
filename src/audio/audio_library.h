// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "audio/audio_api.h"

// The library's file name on this platform.
#ifdef _WIN32
inline constexpr const char* kAudioLibraryFile = "libbass.dll";
#else
inline constexpr const char* kAudioLibraryFile = "libbass.so";
#endif

// Loads the audio library: first the file beside the executable (only when
// its size is above zero), otherwise the bare name through the system's
// library search. All eleven entry points are resolved or nothing is kept.
// `executableDir` is the folder of the running executable.
bool LoadAudioLibrary(AudioLibrary& library, const std::string& executableDir);

// Unloads the library if one is loaded and clears the function table.
void UnloadAudioLibrary(AudioLibrary& library);
