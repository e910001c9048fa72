// SPDX-License-Identifier: GPL-3.0-or-later
// The entry of every Windows test program: GoogleTest's own, but for one
// thread. On Windows, GoogleTest starts a thread of its own (a watcher that
// frees a thread's values when it ends) the first time a thread uses
// SCOPED_TRACE and the like. A test that does so and ends at once had the
// process end while that thread was still starting, and Wine's loader then
// died of SIGSEGV, now and then, after every test had passed. The main
// thread's watcher is started here, and awaited, before any test runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

namespace {

std::atomic<int> threadsRunning{0};

// Called by the loader in each new thread once its start-up is over, before
// the thread's own function.
void NTAPI OnThreadEvent(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH) threadsRunning.fetch_add(1);
}

}  // namespace

// The C runtime's table of TLS callbacks runs from .CRT$XLA to .CRT$XLZ.
extern "C" __attribute__((used, section(".CRT$XLY"))) const PIMAGE_TLS_CALLBACK orvelleOnThreadEvent = OnThreadEvent;

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int before = threadsRunning.load();
  { SCOPED_TRACE("the watcher of the main thread starts"); }
  for (int waitedMs = 0; threadsRunning.load() == before && waitedMs < 5000; ++waitedMs) Sleep(1);
  return RUN_ALL_TESTS();
}
