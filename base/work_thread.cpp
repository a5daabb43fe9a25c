// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/work_thread.h"

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

void WorkThread::End(Waiting waiting) {
  {
    const std::lock_guard lock(mutex_);
    if (ending_) return;
    ending_ = true;
    if (waiting == Waiting::Drop) jobs_.clear();
  }
  *open_ = false;
  wake_.notify_one();
  if (worker_.joinable()) worker_.join();
}

void WorkThread::Serve() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    if (job.Task() && job.Then) {
      post_([open = open_, done = std::move(job.Then)] {
        if (*open) done();
      });
    }
  }
}

}  // namespace halvoric
