// SPDX-License-Identifier: GPL-3.0-or-later
// The operating system's side on Linux and other POSIX systems.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <ctime>

#include "os/log.h"
#include "os/os.h"

void* LoadSharedLibrary(const std::string& path) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) LogDiagnostic("cannot load %s: %s", path.c_str(), dlerror());
  return library;
}

void* FindSymbol(void* library, const char* name) { return library ? dlsym(library, name) : nullptr; }

void UnloadSharedLibrary(void* library) {
  if (library != nullptr) dlclose(library);
}

std::string ExecutableDir() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  std::string path(buffer, size_t(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

int64_t FileSizeBytes(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return int64_t(st.st_size);
}

int64_t LocalSecondsSince1970() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return int64_t(now);
  return int64_t(timegm(&local));
}

bool LocalHourMinute(int64_t unixSeconds, int& hour, int& minute) {
  const std::time_t moment = std::time_t(unixSeconds);
  std::tm local{};
  if (localtime_r(&moment, &local) == nullptr) return false;
  hour = local.tm_hour;
  minute = local.tm_min;
  return true;
}
