// SPDX-License-Identifier: GPL-3.0-or-later
// The emergency countdown of a popup alert: one tick a second in the window
// caption, and at zero the hibernation request.
#pragma once

#include <cstdint>
#include <string>

#include "services/hibernator.h"
#include "settings/journal.h"

namespace halvoric {

inline constexpr const char* kWindowCaption = "Halvoric";

class CountdownView {
 public:
  virtual ~CountdownView() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  // The timer that calls Tick() every second.
  virtual void StartCountdownTimer() = 0;
  virtual void StopCountdownTimer() = 0;
};

class HibernationCountdown {
 public:
  static constexpr std::uint8_t kSeconds = 60;

  HibernationCountdown(CountdownView& view, JournalLines& journal, Hibernator& power)
      : view_(view), journal_(journal), power_(power) {}

  // A popup alert begins: the full count, ticking only when `hibernate`.
  void Arm(bool hibernate);
  // The user answered the alert: the count stays where it stood.
  void Dismiss();
  void Tick();

  std::uint8_t SecondsLeft() const { return secondsLeft_; }

 private:
  CountdownView& view_;
  JournalLines& journal_;
  Hibernator& power_;
  std::uint8_t secondsLeft_ = 0;
};

}  // namespace halvoric
