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

template <typename Fn>
bool Resolve(void* handle, const char* name, Fn& slot) {
  slot = reinterpret_cast<Fn>(dlsym(handle, name));
  return slot != nullptr;
}

}  // namespace

bool LoadAudioLibrary(AudioLibrary& library, const std::string& executableDir) {
  library = AudioLibrary{};
  const std::string besideUs = executableDir + "/" + kAudioLibraryFile;
  const std::string path = FileHasContent(besideUs) ? besideUs : kAudioLibraryFile;

  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return false;

  AudioApi api;
  const bool complete = Resolve(handle, "BASS_Init", api.BASS_Init) &&
                        Resolve(handle, "BASS_ErrorGetCode", api.BASS_ErrorGetCode) &&
                        Resolve(handle, "BASS_StreamCreateURL", api.BASS_StreamCreateURL) &&
                        Resolve(handle, "BASS_ChannelPlay", api.BASS_ChannelPlay) &&
                        Resolve(handle, "BASS_ChannelStop", api.BASS_ChannelStop) &&
                        Resolve(handle, "BASS_StreamFree", api.BASS_StreamFree) &&
                        Resolve(handle, "BASS_ChannelSetAttribute", api.BASS_ChannelSetAttribute) &&
                        Resolve(handle, "BASS_ChannelIsActive", api.BASS_ChannelIsActive) &&
                        Resolve(handle, "BASS_ChannelGetData", api.BASS_ChannelGetData) &&
                        Resolve(handle, "BASS_Free", api.BASS_Free) &&
                        Resolve(handle, "BASS_ChannelPause", api.BASS_ChannelPause);
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
