// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/background.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <exception>
#include <utility>

#include "app/player_state.h"
#include "os/log.h"

// Everything here is guarded by `mutex`. The workers hold it too, so that a
// worker that outlives Stop (an open that cannot be cancelled) finds it.
struct Background::Shared {
  std::mutex mutex;
  std::condition_variable posted;  // a job in a queue, or stopping
  std::condition_variable ended;   // a worker left its loop
  std::deque<Job> queues[kLaneCount];
  std::vector<Apply> results;
  bool stopping = false;
  bool workerEnded[kLaneCount] = {};
  std::function<void()> resultReady;
};

namespace {

Apply RunJob(const Job& job) {
  try {
    return job();
  } catch (const std::exception& error) {
    LogDiagnostic("a background job failed: %s", error.what());
  } catch (...) {
    LogDiagnostic("a background job failed");
  }
  return {};
}

void WorkerLoop(const std::shared_ptr<Background::Shared>& shared, int lane) {
  auto& s = *shared;
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(s.mutex);
      s.posted.wait(lock, [&] { return s.stopping || !s.queues[lane].empty(); });
      if (s.stopping) break;
      job = std::move(s.queues[lane].front());
      s.queues[lane].pop_front();
    }
    Apply result = RunJob(job);
    job = nullptr;  // what it captured goes here, on its own thread
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.stopping) break;  // nobody applies it any more
    if (!result) continue;
    s.results.push_back(std::move(result));
    // Under the lock: once Stop has returned, the shell is never called again.
    if (s.resultReady) s.resultReady();
  }
  std::lock_guard<std::mutex> lock(s.mutex);
  s.workerEnded[lane] = true;
  s.ended.notify_all();
}

}  // namespace

Background::Background(std::function<void()> resultReady) : shared_(std::make_shared<Shared>()) {
  shared_->resultReady = std::move(resultReady);
  for (int lane = 0; lane < kLaneCount; ++lane) {
    threads_[lane] = std::thread([shared = shared_, lane] { WorkerLoop(shared, lane); });
  }
}

Background::~Background() {
  if (!stopped_) Stop(std::chrono::milliseconds(0));
}

void Background::Post(Lane lane, Job job) {
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->stopping) return;
    shared_->queues[int(lane)].push_back(std::move(job));
  }
  shared_->posted.notify_all();
}

std::vector<Apply> Background::TakeResults() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return std::exchange(shared_->results, {});
}

bool Background::Stop(std::chrono::milliseconds grace) {
  if (!stopped_) {
    stopped_ = true;
    std::deque<Job> dropped[kLaneCount];  // freed here, outside the lock
    std::vector<Apply> unapplied;
    {
      std::lock_guard<std::mutex> lock(shared_->mutex);
      shared_->stopping = true;
      for (int lane = 0; lane < kLaneCount; ++lane) dropped[lane].swap(shared_->queues[lane]);
      unapplied.swap(shared_->results);
    }
    shared_->posted.notify_all();
    cancel_->Cancel();
  }
  bool ended[kLaneCount];
  const auto allEnded = [this] {
    return std::all_of(std::begin(shared_->workerEnded), std::end(shared_->workerEnded), [](bool e) { return e; });
  };
  {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->ended.wait_for(lock, grace, allEnded);
    std::copy(std::begin(shared_->workerEnded), std::end(shared_->workerEnded), ended);
  }
  for (int lane = 0; lane < kLaneCount; ++lane) {
    if (!threads_[lane].joinable()) continue;
    // A worker still in its job holds only the shared state and its job's copies.
    if (ended[lane]) {
      threads_[lane].join();
    } else {
      threads_[lane].detach();
    }
  }
  return std::all_of(std::begin(ended), std::end(ended), [](bool e) { return e; });
}

void EndProcessIfBusy(Background& background, int code) {
  if (background.Stop(std::chrono::milliseconds(0))) return;
  // A job still runs (an open inside the audio library): the exit handlers
  // and static destructors could free what it uses. The system takes the rest.
  std::fflush(nullptr);
  std::_Exit(code);
}

void RunInBackground(Player& player, Lane lane, Job job) {
  if (player.background != nullptr) {
    player.background->Post(lane, std::move(job));
    return;
  }
  if (Apply apply = RunJob(job)) apply(player);
}

std::optional<uint32_t> BudgetEndMs(const Player& player, int32_t budgetMs) {
  if (!player.clockMs) return std::nullopt;
  return player.clockMs() + uint32_t(budgetMs);
}
