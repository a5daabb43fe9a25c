// SPDX-License-Identifier: GPL-3.0-or-later
// The alert channels the user can switch on, and the list every watch
// raises its alerts on: mail and sound first, then the popup, whose wait
// for an answer comes last.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "monitor/alert_channel.h"
#include "monitor/mail_dispatch.h"
#include "services/alert_prompt.h"
#include "services/clock.h"
#include "services/sound_player.h"
#include "settings/journal.h"
#include "settings/settings.h"

namespace halvoric {

// Brings the window to the front, from the tray too, for a popup.
class AlertView {
 public:
  virtual ~AlertView() = default;
  virtual void BringToFront() = 0;
};

// Mails once per episode, and as a reminder every MailRepeatMinutes while it
// lasts. A mail counts as sent only once the server took it: one that
// failed, or that a newer alert replaced in the queue, is tried again at
// the next alert of its episode, one at a time, and journalled once.
class MailChannel final : public AlertChannel {
 public:
  MailChannel(const Settings& settings, JournalLines& journal, MailQueue& mails, const Clock& time)
      : settings_(settings), journal_(journal), mails_(mails), time_(time) {}
  void Raise(const Alert& alert) override;

 private:
  struct Owed {
    std::uint64_t Episode = 0;
    bool Accepted = false;      // the server took a mail of this episode
    Clock::TimePoint Queued{};  // when that mail was queued
    bool Sending = false;       // its outcome is not back yet
    bool Journalled = false;    // the mail owed now was said to go
    bool FailureJournalled = false;
  };

  const Settings& settings_;
  JournalLines& journal_;
  MailQueue& mails_;
  const Clock& time_;
  std::map<std::string, Owed> owed_;
};

// Plays at every alert, an alarm at the desk; a sound that cannot play is
// journalled once per episode, as a machine without sound would otherwise
// say so every 30 seconds.
class SoundChannel final : public AlertChannel {
 public:
  SoundChannel(const Settings& settings, JournalLines& journal, SoundPlayer& sounds)
      : settings_(settings), journal_(journal), sounds_(sounds) {}
  void Raise(const Alert& alert) override;

 private:
  const Settings& settings_;
  JournalLines& journal_;
  SoundPlayer& sounds_;
  std::map<std::string, std::uint64_t> failureJournalled_;  // the episode it was said for
};

// Brings the window forward and waits for the user's answer, at every alert.
class PopupChannel final : public AlertChannel {
 public:
  PopupChannel(const Settings& settings, AlertView& view, AlertPrompt& prompt)
      : settings_(settings), view_(view), prompt_(prompt) {}
  void Raise(const Alert& alert) override;

 private:
  const Settings& settings_;
  AlertView& view_;
  AlertPrompt& prompt_;
};

struct AlertServices {
  MailQueue& Mails;
  SoundPlayer& Sounds;
  AlertPrompt& Prompt;
  AlertView& View;
  const Clock& Time;
};

class AlertChannels {
 public:
  AlertChannels(const Settings& settings, JournalLines& journal, AlertServices services)
      : mail_(settings, journal, services.Mails, services.Time),
        sound_(settings, journal, services.Sounds),
        popup_(settings, services.View, services.Prompt) {}
  AlertChannels(const AlertChannels&) = delete;
  AlertChannels& operator=(const AlertChannels&) = delete;

  void Raise(const Alert& alert) {
    for (AlertChannel* channel : all_) channel->Raise(alert);
  }
  // An episode no alert raised here had before, whichever watch asks.
  std::uint64_t NewEpisode() { return ++episodes_; }

 private:
  MailChannel mail_;
  SoundChannel sound_;
  PopupChannel popup_;
  const std::vector<AlertChannel*> all_{&mail_, &sound_, &popup_};
  std::uint64_t episodes_ = 0;
};

}  // namespace halvoric
