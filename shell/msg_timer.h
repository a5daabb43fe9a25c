// SPDX-License-Identifier: GPL-3.0-or-later
// A light periodic timer that ticks through one hidden receiver shared by
// every timer of the process. The tray icon runs its click, cycle and exit
// timers on it.
#pragma once

#include <functional>

namespace halvoric {

class TMsgTimerHandler;

class TMsgTimer {
 public:
  using Handler = std::function<void(TMsgTimer& sender)>;

  TMsgTimer();
  TMsgTimer(int interval, Handler onTimer);
  ~TMsgTimer();
  TMsgTimer(const TMsgTimer&) = delete;
  TMsgTimer& operator=(const TMsgTimer&) = delete;

  // Creates the system timer, restarting the period when already running.
  // Returns false and changes nothing when the interval is 0.
  bool Start();
  // Destroys the system timer. With `clearEnabled` false the timer stays
  // marked enabled: it is paused and resumes with a later Start.
  bool Stop(bool clearEnabled);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  int Interval() const { return interval_; }
  void SetInterval(int interval);
  const Handler& OnTimer() const { return onTimer_; }
  void SetOnTimer(Handler onTimer);
  bool OneShot() const { return oneShot_; }
  void SetOneShot(bool oneShot) { oneShot_ = oneShot; }

  // The system timer's identifier, 0 when none runs.
  int SystemTimer() const { return systemTimer_; }

  // Whether the shared receiver exists (it lives from the first timer to the last).
  static bool ReceiverExists();

 private:
  friend class TMsgTimerHandler;
  void Tick();

  bool enabled_ = false;
  int interval_ = 1000;
  bool oneShot_ = false;
  Handler onTimer_;
  int systemTimer_ = 0;
};

}  // namespace halvoric
