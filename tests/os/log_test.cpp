// SPDX-License-Identifier: GPL-3.0-or-later
// The diagnostic log reads its switch once per process: each case runs in a
// process of its own.
#include "os/log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

void LogOnceWith(const char* value, const char* title = "Blue Sky - Night Song") {
  if (value == nullptr) {
    unsetenv("ORVELLE_LOG");
  } else {
    setenv("ORVELLE_LOG", value, 1);
  }
  LogDiagnostic("cover lookup found nothing for %s", title);
  std::fflush(stderr);
  std::_Exit(0);
}

TEST(DiagnosticLog, SilentUnlessOrvelleLogIsOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(LogOnceWith(nullptr), testing::ExitedWithCode(0), "^$");
  EXPECT_EXIT(LogOnceWith("0"), testing::ExitedWithCode(0), "^$");
  EXPECT_EXIT(LogOnceWith("1"), testing::ExitedWithCode(0),
              "^orvelle: cover lookup found nothing for Blue Sky - Night Song\n$");
}

TEST(DiagnosticLog, ControlCharactersFromOutsideAreEscaped) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // A title from a server, with a line break and a terminal's escape in it.
  EXPECT_EXIT(LogOnceWith("1", "A\r\norvelle: B\t\x1b[2J\x7f"), testing::ExitedWithCode(0),
              "^orvelle: cover lookup found nothing for A\\\\r\\\\norvelle: B\\\\t\\\\x1B\\[2J\\\\x7F\n$");
}

}  // namespace
