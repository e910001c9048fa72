// SPDX-License-Identifier: GPL-3.0-or-later
// The command line on Windows: read as UTF-16 from the process, answered on
// whatever output the caller gave a windowed program (a redirection), or
// else on the console of the prompt that started it.
#include <windows.h>
#include <shellapi.h>

#include "platform/command_line.h"
#include "text/text.h"

namespace {

std::vector<std::string> ProgramArguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(TextToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  LocalFree(argv);
  return args;
}

bool Usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// A windowed program starts with no console; its standard handles are
// whatever its caller redirected, if anything.
HANDLE OutputHandle(bool isError) {
  HANDLE handle = GetStdHandle(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (Usable(handle)) return handle;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return nullptr;
  handle = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  return Usable(handle) ? handle : nullptr;
}

bool WriteAll(HANDLE handle, const std::string& utf8) {
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    // A console shows UTF-16 whatever its code page.
    const Text text = Utf8ToText(utf8);
    DWORD written = 0;
    return WriteConsoleW(handle, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
  }
  size_t done = 0;
  while (done < utf8.size()) {
    DWORD written = 0;
    if (!WriteFile(handle, utf8.data() + done, DWORD(utf8.size() - done), &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

std::optional<int> AnswerCommandLine() {
  const CommandLineAnswer answer = ReadCommandLine(ProgramArguments());
  if (answer.run) return std::nullopt;
  const HANDLE out = OutputHandle(answer.isError);
  // Nowhere to write is no failure of the answer itself (started from a
  // shortcut, say); a write that fails is.
  if (out != nullptr && !WriteAll(out, answer.text) && answer.exitCode == 0) return 1;
  return answer.exitCode;
}
