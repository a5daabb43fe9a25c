// SPDX-License-Identifier: GPL-3.0-or-later
// Where drive series run. A drive that takes long to answer must not hold
// up the window, so the program runs every series on a thread of its own
// and hands each result back to the window's thread; the command-line tool
// and the tests run them where they are.
#pragma once

#include <functional>

#include "base/work_thread.h"

namespace halvoric {

class DriveReader;

class DriveQueue {
 public:
  using Work = std::function<void(DriveReader&)>;
  using Done = std::function<void()>;
  using Meanwhile = std::function<void()>;
  using TimePoint = WorkThread::TimePoint;

  virtual ~DriveQueue() = default;
  // Runs `work` on the drives, then `done` on the caller's thread. Work runs
  // in the order it was given, one at a time.
  virtual void Run(Work work, Done done) = 0;
  // Runs `work` and returns once it has run. Where the work runs on a thread
  // of its own, `meanwhile` runs on this one every tenth of a second of the
  // wait: the start-up's splash tells how far a long scan has come.
  virtual void RunAndWait(Work work, const Meanwhile& meanwhile = {}) = 0;
  // Runs `work` once `when` has come, then `done` as Run does: the drives'
  // time is kept where they are read, so that a timed read wakes the
  // caller's thread once, for its result. `timer` names who put the work
  // off; each has one work waiting at most, a later one taking its place.
  // Where work runs in place no time is kept: the work never runs, and the
  // tests give their ticks by hand.
  virtual void RunAt(const void* timer, TimePoint when, Work work, Done done) = 0;
  // Drops the work `timer` put off, unless it has begun.
  virtual void Cancel(const void* timer) = 0;
};

// Runs every series on one thread of its own. `post` hands a task to the
// thread that gave the work, to run there later.
class DriveThread final : public DriveQueue {
 public:
  DriveThread(DriveReader& reader, WorkThread::Post post)
      : reader_(reader), thread_(std::move(post)) {}

  void Run(Work work, Done done) override;
  void RunAndWait(Work work, const Meanwhile& meanwhile = {}) override;
  void RunAt(const void* timer, TimePoint when, Work work, Done done) override;
  void Cancel(const void* timer) override { thread_.Cancel(timer); }
  // Drops the work not yet begun, waits for the series under way and runs
  // no `done` after this. Call it from the thread that gives the work,
  // before the objects the `done`s reach go.
  void Stop() { thread_.End(WorkThread::Waiting::Drop); }

 private:
  DriveReader& reader_;
  WorkThread thread_;
};

}  // namespace halvoric
