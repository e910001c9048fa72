// SPDX-License-Identifier: GPL-3.0-or-later
// The command line. The player takes no arguments: --version and --help
// answer and end before any window, sound or network is set up, and
// anything else is refused, so that a mistyped option never starts the
// player as if nothing had been said.
#pragma once

#include <optional>
#include <string>
#include <vector>

// What the arguments (the program's name left out) ask for. `run` is true
// when the player should start; otherwise `text` (UTF-8, one or more whole
// lines) goes to standard output, or to standard error when `isError`, and
// the process ends with `exitCode`.
struct CommandLineAnswer {
  bool run = true;
  bool isError = false;
  int exitCode = 0;
  std::string text;
};

CommandLineAnswer ReadCommandLine(const std::vector<std::string>& args);

// Reads the process's own command line and writes the answer: the exit
// code when the process should end here, nothing when the player should run.
#ifdef _WIN32
std::optional<int> AnswerCommandLine();
#else
std::optional<int> AnswerCommandLine(int argc, char** argv);
#endif
