// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
  // One write per line, so that lines from two threads do not mix.
  std::fprintf(stderr, "orvelle: %s\n", line);
}
