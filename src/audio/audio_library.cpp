// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/audio_library.h"

#include "os/log.h"
#include "os/os.h"

namespace {

// Finds `name`; false only when a required call is missing.
template <typename Fn>
bool Resolve(void* library, const char* name, bool required, Fn& slot) {
  slot = reinterpret_cast<Fn>(FindSymbol(library, name));
  if (slot == nullptr && required) LogDiagnostic("the audio library has no %s", name);
  return slot != nullptr || !required;
}

constexpr bool kNeed_required = true;
constexpr bool kNeed_optional = false;

}  // namespace

bool LoadAudioLibrary(AudioLibrary& library, const std::string& executableDir) {
  library = AudioLibrary{};
  const std::string besideUs = executableDir + "/" + kAudioLibraryFile;
  const std::string path = FileSizeBytes(besideUs) > 0 ? besideUs : kAudioLibraryFile;

  void* handle = LoadSharedLibrary(path);
  if (handle == nullptr) return false;

  AudioApi api;
  bool complete = true;
#define ORVELLE_BASS_CALL(need, result, name, parameters) \
  complete = Resolve(handle, #name, kNeed_##need, api.name) && complete;
#include "orvelle/bass_calls.h"
#undef ORVELLE_BASS_CALL
  if (!complete) {
    UnloadSharedLibrary(handle);
    return false;
  }
  library.handle = handle;
  library.api = api;
  return true;
}

void UnloadAudioLibrary(AudioLibrary& library) {
  UnloadSharedLibrary(library.handle);
  library = AudioLibrary{};
}
