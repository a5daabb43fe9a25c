// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_queue.h"

#include <chrono>
#include <future>
#include <memory>

#include "drive/drive_reader.h"

namespace halvoric {

namespace {
constexpr std::chrono::milliseconds kMeanwhileEvery{100};
}  // namespace

void DriveThread::Run(Work work, Done done) {
  thread_.Run(
      [this, work = std::move(work)] {
        work(reader_);
        return true;
      },
      std::move(done));
}

void DriveThread::RunAt(const void* timer, TimePoint when, Work work, Done done) {
  thread_.RunAt(
      timer, when,
      [this, work = std::move(work)] {
        work(reader_);
        return true;
      },
      std::move(done));
}

void DriveThread::RunAndWait(Work work, const Meanwhile& meanwhile) {
  // The job owns the promise: work dropped by a stop leaves it broken, which
  // ends the wait as well.
  auto ran = std::make_shared<std::promise<void>>();
  std::future<void> waited = ran->get_future();
  thread_.Run(
      [this, &work, ran] {
        work(reader_);
        ran->set_value();
        return false;
      },
      nullptr);
  ran.reset();
  if (!meanwhile) {
    waited.wait();
    return;
  }
  while (waited.wait_for(kMeanwhileEvery) == std::future_status::timeout) meanwhile();
}

}  // namespace halvoric
