// SPDX-License-Identifier: GPL-3.0-or-later
// Work that may wait for a disk, taken off the thread that gives it. Each
// piece runs on one thread of its own, one at a time in the order given,
// and its `done` is handed back to the giving thread through `post`.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace halvoric {

// Where work runs: away on a thread, or in place for the command-line tool
// and the tests.
class WorkRunner {
 public:
  // Says whether its `done` is wanted this time: work that went as
  // expected need not wake a giving thread that sleeps.
  using Work = std::function<bool()>;
  using Done = std::function<void()>;

  virtual ~WorkRunner() = default;
  // Runs `work`, then `done` (which may be empty) on the giving thread if
  // the work wants it.
  virtual void Run(Work work, Done done) = 0;
};

class InPlaceWork final : public WorkRunner {
 public:
  void Run(Work work, Done done) override {
    if (work() && done) done();
  }
};

class WorkThread final : public WorkRunner {
 public:
  using Post = std::function<void(std::function<void()>)>;
  using TimePoint = std::chrono::steady_clock::time_point;
  // What an end does with the work not yet begun.
  enum class Waiting { Drop, Run };

  explicit WorkThread(Post post);
  // Ends as End(Waiting::Drop) does.
  ~WorkThread() override;
  WorkThread(const WorkThread&) = delete;
  WorkThread& operator=(const WorkThread&) = delete;

  void Run(Work work, Done done) override;
  // Runs `work` once `when` has come, after the work given by then, and
  // hands `done` back as Run does: a timer that wakes this thread rather
  // than the giving one. `timer` names who put the work off; each has one
  // work waiting at most, a later one taking its place.
  void RunAt(const void* timer, TimePoint when, Work work, Done done);
  // Drops the work `timer` put off, unless it has begun.
  void Cancel(const void* timer);
  // Drops or runs the work not yet begun, waits for the work under way,
  // and runs no `done` after this; work given later is dropped, and so is
  // work put off, its time not come. Call it from the giving thread,
  // before the objects the `done`s reach go.
  void End(Waiting waiting);

 private:
  struct Job {
    Work Task;
    Done Then;
  };
  struct PutOff {
    TimePoint When;
    Job Held;
  };

  void Serve();
  // Waits for the next job: work given in turn first, then work put off
  // once its time has come. False once the thread is to end.
  bool Next(Job& job);

  Post post_;
  // Read and cleared on the giving thread only, as the posted `done`s run
  // there.
  std::shared_ptr<bool> open_ = std::make_shared<bool>(true);
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  std::map<const void*, PutOff> putOff_;
  bool ending_ = false;
  std::thread worker_;
};

}  // namespace halvoric
