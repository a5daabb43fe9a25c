// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/msg_timer.h"

#include <QObject>
#include <QTimerEvent>
#include <unordered_map>

namespace halvoric {

// The hidden receiver of every timer's ticks; maps the system timer back to
// the TMsgTimer that owns it.
class TMsgTimerHandler : public QObject {
 public:
  int Add(TMsgTimer* timer, int interval) {
    const int id = startTimer(interval, Qt::PreciseTimer);
    if (id != 0) timers_[id] = timer;
    return id;
  }
  bool Remove(int id) {
    if (timers_.erase(id) == 0) return false;
    killTimer(id);
    return true;
  }

  int references = 0;

 protected:
  void timerEvent(QTimerEvent* event) override {
    const auto it = timers_.find(event->timerId());
    if (it != timers_.end()) it->second->Tick();
  }

 private:
  std::unordered_map<int, TMsgTimer*> timers_;
};

namespace {

TMsgTimerHandler* MsgTimerWindow = nullptr;

void Join() {
  if (!MsgTimerWindow) MsgTimerWindow = new TMsgTimerHandler;
  ++MsgTimerWindow->references;
}

void Leave() {
  if (--MsgTimerWindow->references == 0) {
    delete MsgTimerWindow;
    MsgTimerWindow = nullptr;
  }
}

}  // namespace

TMsgTimer::TMsgTimer() { Join(); }

TMsgTimer::TMsgTimer(int interval, Handler onTimer)
    : interval_(interval), onTimer_(std::move(onTimer)) {
  Join();
}

TMsgTimer::~TMsgTimer() {
  if (enabled_) Stop(true);
  Leave();
}

bool TMsgTimer::ReceiverExists() { return MsgTimerWindow != nullptr; }

bool TMsgTimer::Start() {
  if (interval_ == 0) return false;
  if (enabled_) Stop(true);
  systemTimer_ = MsgTimerWindow->Add(this, interval_);
  enabled_ = systemTimer_ != 0;
  return enabled_;
}

bool TMsgTimer::Stop(bool clearEnabled) {
  if (clearEnabled) enabled_ = false;
  const bool stopped = systemTimer_ != 0 && MsgTimerWindow->Remove(systemTimer_);
  systemTimer_ = 0;
  return stopped;
}

void TMsgTimer::SetEnabled(bool enabled) {
  if (enabled) {
    Start();
  } else {
    Stop(true);
  }
}

void TMsgTimer::SetInterval(int interval) {
  if (interval == interval_) return;
  interval_ = interval;
  if (!enabled_) return;
  if (interval != 0) {
    Start();
  } else {
    Stop(false);
  }
}

void TMsgTimer::SetOnTimer(Handler onTimer) {
  onTimer_ = std::move(onTimer);
  if (!onTimer_ && enabled_) Stop(false);
}

void TMsgTimer::Tick() {
  if (oneShot_) Stop(true);
  if (onTimer_) onTimer_(*this);
}

}  // namespace halvoric
