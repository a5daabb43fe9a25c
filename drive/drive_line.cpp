#include "drive/drive_line.h"

#include <future>

#include "drive/drive_reader.h"

namespace halvoric {

ThreadedDriveLine::ThreadedDriveLine(DriveReader& reader, Post post)
    : reader_(reader), post_(std::move(post)), worker_([this] { Serve(); }) {}

ThreadedDriveLine::~ThreadedDriveLine() { Stop(); }

void ThreadedDriveLine::Run(Work work, Done done) {
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
    jobs_.push_back({std::move(work), std::move(done)});
  }
  wake_.notify_one();
}

void ThreadedDriveLine::RunAndWait(Work work) {
  std::promise<void> ran;
  std::future<void> waited = ran.get_future();
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
    jobs_.push_back({[&work, &ran](DriveReader& reader) {
                       work(reader);
                       ran.set_value();
                     },
                     nullptr});
  }
  wake_.notify_one();
  waited.wait();
}

void ThreadedDriveLine::Stop() {
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    // A RunAndWait caller could only be this thread, which is here.
    jobs_.clear();
  }
  *open_ = false;
  wake_.notify_one();
  if (worker_.joinable()) worker_.join();
}

void ThreadedDriveLine::Serve() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job.Task(reader_);
    if (job.Then) {
      post_([open = open_, done = std::move(job.Then)] {
        if (*open) done();
      });
    }
  }
}

}  // namespace halvoric
