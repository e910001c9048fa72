#include "audio/audio_library.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace {

bool FileHasContent(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

// Finds `name`; false only when a required call is missing.
template <typename Fn>
bool Resolve(void* handle, const char* name, bool required, Fn& slot) {
  slot = reinterpret_cast<Fn>(dlsym(handle, name));
  return slot != nullptr || !required;
}

constexpr bool kNeed_required = true;
constexpr bool kNeed_optional = false;

}  // namespace

bool LoadAudioLibrary(AudioLibrary& library, const std::string& executableDir) {
  library = AudioLibrary{};
  const std::string besideUs = executableDir + "/" + kAudioLibraryFile;
  const std::string path = FileHasContent(besideUs) ? besideUs : kAudioLibraryFile;

  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return false;

  AudioApi api;
  bool complete = true;
#define ORVELLE_BASS_CALL(need, result, name, parameters) \
  complete = Resolve(handle, #name, kNeed_##need, api.name) && complete;
#include "orvelle/bass_calls.h"
#undef ORVELLE_BASS_CALL
  if (!complete) {
    dlclose(handle);
    return false;
  }
  library.handle = handle;
  library.api = api;
  return true;
}

void UnloadAudioLibrary(AudioLibrary& library) {
  if (library.handle != nullptr) dlclose(library.handle);
  library = AudioLibrary{};
}

std::string ExecutableDir() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  std::string path(buffer, size_t(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}
