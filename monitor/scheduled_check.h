// SPDX-License-Identifier: GPL-3.0-or-later
// A watch's next check, timed where the drives are read: at its time the
// drives' thread reads the watched drives and hands the readings to the
// window's thread in one piece. A timer of the window's thread would wake
// it once to hand the reads over and again for their readings: an idle
// window wakes once per check this way.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "drive/channel.h"
#include "drive/drive_queue.h"

namespace halvoric {

class ScheduledCheck {
 public:
  // The reads of the drives given, and what judges their readings on the
  // window's thread once they are taken.
  struct Reads {
    DriveQueue::Work Read;
    DriveQueue::Done Judge;
  };
  // The drives watched now, and their reads. Given at each call, as the
  // watch that gives it may have moved since the last.
  struct Plan {
    std::vector<DriveNumber> Watched;
    std::function<Reads(const std::vector<DriveNumber>& drives)> Make;
  };

  explicit ScheduledCheck(DriveQueue& drives) : drives_(drives) {}

  // The watched drives are read `in` from now; a check already scheduled
  // does not come.
  void Schedule(std::chrono::milliseconds in, Plan plan);
  void Cancel();
  // The watched drives changed: the scheduled check reads those watched
  // now, at the time it had.
  void WatchedChanged(Plan plan);

 private:
  void Arm(Plan plan);

  DriveQueue& drives_;
  // When the check reads its drives; none while none is scheduled.
  std::optional<DriveQueue::TimePoint> due_;
  std::vector<DriveNumber> reading_;  // the drives it reads
  // Counts the checks armed: one cancelled or armed again after its reads
  // had begun still hands them back, to be dropped.
  std::uint64_t armed_ = 0;
};

}  // namespace halvoric
