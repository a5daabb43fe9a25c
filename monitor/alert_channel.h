// SPDX-License-Identifier: GPL-3.0-or-later
// One way an alert reaches the user. Every watch raises each of its alerts
// on every channel, in the channels' order; each channel decides for itself
// whether the user switched it on and how often it repeats.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace halvoric {

struct Alert {
  // What the alert is about ("temperature of drive 0", "health"), and which
  // time of it (AlertChannels::NewEpisode): a channel keeps its repeat rule
  // per source and starts afresh when the episode changes.
  std::string Source;
  std::uint64_t Episode = 0;
  std::string MailBody;
  std::string PopupText;
  // The watch's own part of a popup: before it waits for its answer, and
  // once the user answered.
  std::function<void()> BeforeWait;
  std::function<void()> Answered;
};

class AlertChannel {
 public:
  virtual ~AlertChannel() = default;
  virtual void Raise(const Alert& alert) = 0;
};

}  // namespace halvoric
