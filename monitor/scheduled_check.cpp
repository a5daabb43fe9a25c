// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/scheduled_check.h"

namespace halvoric {

void ScheduledCheck::Schedule(std::chrono::milliseconds in, Plan plan) {
  due_ = std::chrono::steady_clock::now() + in;
  Arm(std::move(plan));
}

void ScheduledCheck::Cancel() {
  due_.reset();
  ++armed_;
  drives_.Cancel(this);
}

void ScheduledCheck::WatchedChanged(Plan plan) {
  if (due_ && plan.Watched != reading_) Arm(std::move(plan));
}

void ScheduledCheck::Arm(Plan plan) {
  reading_ = std::move(plan.Watched);
  Reads reads = plan.Make(reading_);
  drives_.RunAt(this, *due_, std::move(reads.Read),
                [this, armed = ++armed_, judge = std::move(reads.Judge)] {
                  if (armed != armed_) return;
                  due_.reset();
                  judge();
                });
}

}  // namespace halvoric
