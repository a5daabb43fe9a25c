// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/hibernation_countdown.h"

namespace halvoric {

void HibernationCountdown::Arm(bool hibernate) {
  secondsLeft_ = kSeconds;
  if (hibernate) view_.StartCountdownTimer();
}

void HibernationCountdown::Dismiss() {
  view_.StopCountdownTimer();
  view_.SetCaption(kWindowCaption);
}

void HibernationCountdown::Tick() {
  if (secondsLeft_ > 0) --secondsLeft_;
  view_.SetCaption("Hibernate on " + std::to_string(secondsLeft_) + "s");
  if (secondsLeft_ != 0) return;

  journal_.AddLogLineBareToSystemLog("Halvoric was Hibernated");
  view_.StopCountdownTimer();
  const Result<> hibernated = power_.Hibernate();
  if (!hibernated.Ok()) journal_.AddLogLine("Hibernation was refused: " + hibernated.Message);
}

}  // namespace halvoric
