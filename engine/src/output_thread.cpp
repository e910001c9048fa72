// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_thread.h"

namespace orvelle {

void StartOutputThread(OutputThread& t, std::function<void()> body, std::function<void()> freeOutput) {
  t.thread = std::thread([&t, body = std::move(body), freeOutput = std::move(freeOutput)] {
    body();
    bool letGo;
    {
      std::lock_guard lock(t.mutex);
      t.done = true;
      letGo = t.letGo;
    }
    // Let go of: `t` may be gone once freed. Otherwise the joiner waits for
    // this thread's very end before it frees anything.
    if (letGo) {
      freeOutput();
    } else {
      t.ended.notify_all();
    }
  });
}

bool JoinOutputThread(OutputThread& t, std::chrono::milliseconds limit) {
  if (!t.thread.joinable()) return true;
  std::unique_lock lock(t.mutex);
  if (!t.ended.wait_for(lock, limit, [&t] { return t.done; })) {
    PinEngineLibrary();
    t.letGo = true;
    t.thread.detach();  // under the lock: the thread cannot free `t` before
    lock.unlock();
    return false;
  }
  lock.unlock();
  t.thread.join();
  return true;
}

}  // namespace orvelle
