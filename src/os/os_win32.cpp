// SPDX-License-Identifier: GPL-3.0-or-later
// The operating system's side on Windows. Paths reach this file as UTF-8
// and go to Windows as UTF-16, through the wide ("W") calls only: the
// ANSI ones would lose any character outside the user's code page.
#include <windows.h>

#include <ctime>
#include <string>

#include "os/log.h"
#include "os/os.h"
#include "os/wide_text.h"

std::wstring WidenUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), n);
  return wide;
}

std::string NarrowToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

namespace {

// Windows documents backslashes for library paths; callers join with '/'.
std::wstring WindowsPath(const std::string& path) {
  std::wstring wide = WidenUtf8(path);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

}  // namespace

void* LoadSharedLibrary(const std::string& path) {
  // A file that is not a library would otherwise make Windows show its own
  // "bad image" box; the player reports the missing library itself.
  DWORD oldMode = 0;
  const bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode) != 0;
  HMODULE library = LoadLibraryW(WindowsPath(path).c_str());
  const DWORD error = GetLastError();
  if (quiet) SetThreadErrorMode(oldMode, nullptr);
  if (library == nullptr) LogDiagnostic("cannot load %s: error %lu", path.c_str(), error);
  return reinterpret_cast<void*>(library);
}

void* FindSymbol(void* library, const char* name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void UnloadSharedLibrary(void* library) {
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

std::string ExecutableDir() {
  // Paths may exceed MAX_PATH; grow the buffer until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return ".";
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return ".";
  return NarrowToUtf8(path.substr(0, slash));
}

int64_t FileSizeBytes(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WindowsPath(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return -1;
  return int64_t((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

int64_t LocalSecondsSince1970() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_s(&local, &now) != 0) return int64_t(now);
  // The local fields read back as if they were UTC.
  const std::time_t asUtc = _mkgmtime(&local);
  return asUtc == std::time_t(-1) ? int64_t(now) : int64_t(asUtc);
}

bool LocalHourMinute(int64_t unixSeconds, int& hour, int& minute) {
  const std::time_t moment = std::time_t(unixSeconds);
  std::tm local{};
  if (localtime_s(&local, &moment) != 0) return false;
  hour = local.tm_hour;
  minute = local.tm_min;
  return true;
}
