// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

bool DiagnosticLogEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("ORVELLE_LOG");
    return value != nullptr && std::strcmp(value, "1") == 0;
  }();
  return enabled;
}

void LogDiagnostic(const char* format, ...) {
  if (!DiagnosticLogEnabled()) return;
  char line[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  // What a server sent (a URL, a title) may hold line breaks or a
  // terminal's escapes: one line stays one line, and shows them as such.
  std::string escaped;
  for (const char* at = line; *at != '\0'; ++at) {
    const auto byte = static_cast<unsigned char>(*at);
    if (byte == '\r') {
      escaped += "\\r";
    } else if (byte == '\n') {
      escaped += "\\n";
    } else if (byte == '\t') {
      escaped += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", byte);
      escaped += code;
    } else {
      escaped += char(byte);
    }
  }
  // One write per line, so that lines from two threads do not mix.
  std::fprintf(stderr, "orvelle: %s\n", escaped.c_str());
}
