// SPDX-License-Identifier: GPL-3.0-or-later
// The player's slow work, away from the window's thread: every fetch of a
// poll and of the cover update it starts, and the opening of the stream.
// A job runs on a worker thread with copies of what it reads and touches no
// player state; it hands back what to apply, and the window's thread
// applies it. The player state stays the window's thread's alone.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "nowplaying/http_get.h"

struct Player;

// What a job hands back, run on the window's thread.
using Apply = std::function<void(Player&)>;
// A job: runs on a worker, reads only what it captured, returns what to apply.
using Job = std::function<Apply()>;

// The jobs of one lane run one after the other; the lanes side by side, so
// that a play press is never queued behind a stalled poll, nor a poll behind
// the played-songs window's fetches.
enum class Lane { Poll, Stream, History };
constexpr int kLaneCount = 3;

class Background {
 public:
  // `resultReady` is called on a worker each time a result waits: the shell
  // has the window's thread call TakeResults soon after. Not after Stop.
  explicit Background(std::function<void()> resultReady);
  // Stops (as Stop with no grace) if that was not done.
  ~Background();
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;

  // Window's thread. After Stop, the job is dropped.
  void Post(Lane lane, Job job);
  // Window's thread: what the ended jobs handed back, each lane in order.
  std::vector<Apply> TakeResults();

  // Window's thread: cancels the transfers under way, drops the jobs not
  // started and the results not applied, and waits up to `grace` for the
  // workers. True when all have ended; false when a job still runs (an
  // open inside the audio library cannot be cancelled): it then ends by
  // itself, unheard, and must find what it uses still there. Again later:
  // whether both have ended by then.
  bool Stop(std::chrono::milliseconds grace);

  // Given up by Stop: the player's HttpGetFn is made with it.
  const std::shared_ptr<FetchCancel>& Cancel() const { return cancel_; }

  struct Shared;  // the queues, shared with the workers

 private:
  std::shared_ptr<Shared> shared_;
  std::shared_ptr<FetchCancel> cancel_ = std::make_shared<FetchCancel>();
  std::thread threads_[kLaneCount];
  bool stopped_ = false;
};

// Runs `job` on the player's worker for `lane`, its result applied later on
// this thread; without a worker (tests, tools), at once, its result applied
// before this returns.
void RunInBackground(Player& player, Lane lane, Job job);

// The end of a fetch's time budget that starts now, on the player's clock;
// none without one.
std::optional<uint32_t> BudgetEndMs(const Player& player, int32_t budgetMs);

// The last step of the program's entry, after the player's run: when a job
// of `background` still runs, ends the process at once with `code`, without
// the exit handlers and static destructors, which could free what it uses.
void EndProcessIfBusy(Background& background, int code);
