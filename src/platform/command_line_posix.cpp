// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>

#include "platform/command_line.h"

std::optional<int> AnswerCommandLine(int argc, char** argv) {
  const CommandLineAnswer answer = ReadCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  if (answer.run) return std::nullopt;
  std::FILE* out = answer.isError ? stderr : stdout;
  std::fputs(answer.text.c_str(), out);
  // Output that could not be written (a closed pipe, a full disk) is a
  // failure, never a silent success.
  if (std::fflush(out) != 0 && answer.exitCode == 0) return 1;
  return answer.exitCode;
}
