// SPDX-License-Identifier: GPL-3.0-or-later
// A timer whose clock is kept on the drives' thread, for work that starts
// with drive reads: a timer of the window's thread would wake it once to
// hand the reads over and again for their results, an idle window twice
// per tick. It says when it starts, with its interval, and when it stops;
// whoever it tells schedules the reads, once or every interval.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

namespace halvoric {

class DriveTimer {
 public:
  // The interval at a start, none at a stop.
  using Tell = std::function<void(std::optional<std::chrono::milliseconds>)>;

  DriveTimer(std::chrono::milliseconds interval, Tell tell)
      : interval_(interval), tell_(std::move(tell)) {}

  // Starts the interval anew, as a running timer's start does.
  void start() {
    active_ = true;
    tell_(interval_);
  }
  void start(std::chrono::milliseconds interval) {
    interval_ = interval;
    start();
  }
  void stop() {
    if (!active_) return;
    active_ = false;
    tell_(std::nullopt);
  }
  bool isActive() const { return active_; }
  int interval() const { return static_cast<int>(interval_.count()); }

 private:
  std::chrono::milliseconds interval_;
  Tell tell_;
  bool active_ = false;
};

}  // namespace halvoric
