#include "shell/tray_host_watch.h"

namespace halvoric {

TrayHostWatch::TrayHostWatch(std::function<bool()> trayExists, Reactions reactions, int periodMs)
    : trayExists_(std::move(trayExists)),
      reactions_(std::move(reactions)),
      existed_(trayExists_()),
      timer_(periodMs, [this](TMsgTimer&) { Check(); }) {
  timer_.SetEnabled(true);
}

void TrayHostWatch::Check() {
  const bool exists = trayExists_();
  if (exists == existed_) return;
  existed_ = exists;
  if (exists) {
    reactions_.created();
  } else {
    reactions_.lost();
  }
}

}  // namespace halvoric
