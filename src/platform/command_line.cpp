// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/command_line.h"

#include "orvelle_version.h"

namespace {

constexpr int kUsageExitCode = 2;  // as getopt-based tools report a bad option
// A refused argument is echoed on one short line: whatever was typed (or
// pasted) cannot stretch it or send the terminal control sequences.
constexpr size_t kEchoedBytes = 60;

std::string Printable(const std::string& arg) {
  std::string shown;
  for (const char c : arg.substr(0, kEchoedBytes)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += (byte < 0x20 || byte == 0x7f) ? '?' : c;
  }
  // Cut inside a UTF-8 sequence: drop its lead and continuation bytes.
  if (arg.size() > kEchoedBytes) {
    while (!shown.empty() && (static_cast<unsigned char>(shown.back()) & 0xc0) == 0x80) shown.pop_back();
    if (!shown.empty() && static_cast<unsigned char>(shown.back()) >= 0xc0) shown.pop_back();
    shown += "…";
  }
  return shown;
}

std::string HelpText() {
  return "Usage : orvelle-player [--help | --version]\n"
         "\n"
         "Orvelle Player joue en direct la radio Orvelle, avec le titre, la pochette\n"
         "et un visualiseur ; tout se commande depuis sa fenêtre.\n"
         "Orvelle Player plays the Orvelle radio live, with the song, its cover and a\n"
         "visualizer; everything is controlled from its window.\n"
         "\n"
         "  -h, --help      affiche cette aide / show this help\n"
         "  -V, --version   affiche la version / show the version\n";
}

std::string VersionText() {
  return ORVELLE_PRODUCT_NAME " " ORVELLE_VERSION "\n"
         "Copyright " ORVELLE_COPYRIGHT "\n"
         "Licence GPL-3.0-or-later : logiciel libre, sans aucune garantie.\n";
}

}  // namespace

CommandLineAnswer ReadCommandLine(const std::vector<std::string>& args) {
  bool help = false;
  bool version = false;
  for (const std::string& arg : args) {
    if (arg == "-h" || arg == "--help") {
      help = true;
    } else if (arg == "-V" || arg == "--version") {
      version = true;
    } else {
      const bool isOption = !arg.empty() && arg[0] == '-';
      return {false, true, kUsageExitCode,
              std::string("orvelle-player : ") + (isOption ? "option inconnue « " : "argument inattendu « ") +
                  Printable(arg) + " » (" + (isOption ? "unknown option" : "unexpected argument") +
                  ") ; essayez --help\n"};
    }
  }
  if (help) return {false, false, 0, HelpText()};
  if (version) return {false, false, 0, VersionText()};
  return {};
}
