// Notices the desktop's tray going away and coming back (its host restarted,
// or started after the program), by asking now and then whether one exists.
#pragma once

#include <functional>

#include "shell/msg_timer.h"

namespace halvoric {

class TrayHostWatch {
 public:
  struct Reactions {
    std::function<void()> lost;
    std::function<void()> created;
  };

  TrayHostWatch(std::function<bool()> trayExists, Reactions reactions, int periodMs);

 private:
  void Check();

  std::function<bool()> trayExists_;
  Reactions reactions_;
  bool existed_;
  TMsgTimer timer_;
};

}  // namespace halvoric
