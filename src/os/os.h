// SPDX-License-Identifier: GPL-3.0-or-later
// What the player asks of the operating system, each behind one function:
// a second platform adds its own file beside os_posix.cpp and changes
// nothing else. Everything here may be called from the user-interface thread
// only, unless it says otherwise.
#pragma once

#include <cstdint>
#include <string>

// Loads a shared library; nullptr when it cannot be loaded (the reason goes
// to the diagnostic log).
void* LoadSharedLibrary(const std::string& path);
// The address of `name` in a loaded library, or nullptr.
void* FindSymbol(void* library, const char* name);
void UnloadSharedLibrary(void* library);

// The folder that holds the running executable (its real path), without a
// trailing separator; "." when it cannot be told.
std::string ExecutableDir();

// The size of a regular file in bytes; -1 for anything else or nothing.
int64_t FileSizeBytes(const std::string& path);

// Milliseconds of a monotonic clock since its first reading, as a 32-bit
// count that wraps after about 49 days; compare readings by signed
// difference. Any thread.
uint32_t MonotonicMs();

// The wall clock as the local time zone shows it, counted in seconds since
// 1970-01-01 00:00:00 as if that local time were UTC. Any thread.
int64_t LocalSecondsSince1970();

// The wall clock in Unix seconds (UTC). Any thread.
int64_t UnixSecondsNow();

// The local time zone's hour (0..23) and minute of a moment given in Unix
// seconds; false when the system cannot tell. Any thread.
bool LocalHourMinute(int64_t unixSeconds, int& hour, int& minute);
