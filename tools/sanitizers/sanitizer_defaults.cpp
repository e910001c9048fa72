// SPDX-License-Identifier: GPL-3.0-or-later
// Built into every program and library of a sanitized build, so that tests,
// the programs they start, and a developer running a binary by hand all get
// the same settings without any environment of their own.

// Weak, because static libraries carry a copy too and a program may link
// several of them.
#define SANITIZER_DEFAULT extern "C" __attribute__((weak, visibility("default")))


SANITIZER_DEFAULT const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=0"; }

SANITIZER_DEFAULT const char* __lsan_default_options() { return "print_suppressions=0"; }

SANITIZER_DEFAULT const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

SANITIZER_DEFAULT const char* __tsan_default_options() { return "halt_on_error=1:second_deadlock_stack=1"; }

// Pango starts fontconfig on a thread of its own; fontconfig, not built for
// the sanitizer, synchronises in ways it cannot see.
SANITIZER_DEFAULT const char* __tsan_default_suppressions() { return "race:libfontconfig.so\n"; }

// One-time allocations that the toolkit and its libraries keep until exit:
// not leaks of ours.
SANITIZER_DEFAULT const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:libpango\n"
         "leak:libpangoft2\n"
         "leak:libcairo\n"
         "leak:libgtk-3\n"
         "leak:libgdk-3\n"
         "leak:libglib-2.0\n"
         "leak:libgobject-2.0\n"
         "leak:libgio-2.0\n"
         "leak:libharfbuzz\n"
         "leak:libfreetype\n"
         "leak:libdbus\n"
         "leak:libX11\n"
         "leak:libgnutls\n"
         "leak:libp11-kit\n"
         "leak:libcurl\n"
         "leak:libSDL2\n"
         "leak:libpulse\n"
         "leak:libasound\n"
         "leak:_dl_open\n"
         "leak:_dl_init\n";
}
