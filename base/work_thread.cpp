// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/work_thread.h"

#include <algorithm>

namespace halvoric {

WorkThread::WorkThread(Post post) : post_(std::move(post)), worker_([this] { Serve(); }) {}

WorkThread::~WorkThread() { End(Waiting::Drop); }

void WorkThread::Run(Work work, Done done) {
  {
    const std::lock_guard lock(mutex_);
    if (ending_) return;
    jobs_.push_back({std::move(work), std::move(done)});
  }
  wake_.notify_one();
}

void WorkThread::RunAt(const void* timer, TimePoint when, Work work, Done done) {
  {
    const std::lock_guard lock(mutex_);
    if (ending_) return;
    putOff_.insert_or_assign(timer, PutOff{when, {std::move(work), std::move(done)}});
  }
  wake_.notify_one();
}

void WorkThread::Cancel(const void* timer) {
  const std::lock_guard lock(mutex_);
  putOff_.erase(timer);
}

void WorkThread::End(Waiting waiting) {
  {
    const std::lock_guard lock(mutex_);
    if (ending_) return;
    ending_ = true;
    putOff_.clear();
    if (waiting == Waiting::Drop) jobs_.clear();
  }
  *open_ = false;
  wake_.notify_one();
  if (worker_.joinable()) worker_.join();
}

bool WorkThread::Next(Job& job) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!jobs_.empty()) {
      job = std::move(jobs_.front());
      jobs_.pop_front();
      return true;
    }
    if (ending_) return false;
    const auto soonest = std::min_element(
        putOff_.begin(), putOff_.end(),
        [](const auto& a, const auto& b) { return a.second.When < b.second.When; });
    if (soonest == putOff_.end()) {
      wake_.wait(lock);
    } else if (const TimePoint when = soonest->second.When;
               std::chrono::steady_clock::now() < when) {
      // A copy: the wait lets go of the lock, and a cancel or an end may
      // take the entry away meanwhile.
      wake_.wait_until(lock, when);
    } else {
      job = std::move(soonest->second.Held);
      putOff_.erase(soonest);
      return true;
    }
  }
}

void WorkThread::Serve() {
  for (;;) {
    Job job;
    if (!Next(job)) return;
    if (job.Task() && job.Then) {
      post_([open = open_, done = std::move(job.Then)] {
        if (*open) done();
      });
    }
  }
}

}  // namespace halvoric
