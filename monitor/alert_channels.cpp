// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/alert_channels.h"

#include <chrono>
#include <filesystem>

#include "base/text_trim.h"
#include "monitor/alert_mail.h"

namespace halvoric {

void MailChannel::Raise(const Alert& alert) {
  if (!settings_.EmailNotification || TrimControls(settings_.EmailAddr).empty()) return;
  Owed& owed = owed_[alert.Source];
  if (owed.Episode != alert.Episode) owed = {.Episode = alert.Episode};
  // The last try's outcome comes first: at most one mail at a time.
  if (owed.Sending) return;
  const Clock::TimePoint now = time_.Now();
  if (owed.Accepted) {
    const auto repeat = std::chrono::minutes(settings_.MailRepeatMinutes);
    if (settings_.MailRepeatMinutes == 0 || now - owed.Queued < repeat) return;
    owed = {.Episode = alert.Episode};
  }
  if (!owed.Journalled) journal_.AddLogLine("SEND email to : " + settings_.EmailAddr);
  owed.Journalled = true;
  owed.Sending = true;
  owed.Queued = now;
  mails_.Send(AlertMailWithBody(settings_.EmailAddr, alert.MailBody),
              [this, source = alert.Source, episode = alert.Episode](const Result<>& sent) {
                const auto found = owed_.find(source);
                if (found == owed_.end() || found->second.Episode != episode) return;
                Owed& answered = found->second;
                answered.Sending = false;
                if (sent.Ok()) {
                  answered.Accepted = true;
                } else if (!answered.FailureJournalled) {
                  journal_.AddLogLine("The alert mail was not sent: " + sent.Message);
                  answered.FailureJournalled = true;
                }
              });
}

void SoundChannel::Raise(const Alert& alert) {
  std::error_code ignored;
  // A folder is no sound; trying it would report a failure every time.
  if (!settings_.PlaySound || !std::filesystem::is_regular_file(settings_.SoundPath, ignored)) {
    return;
  }
  const Result<> played = sounds_.Play(settings_.SoundPath);
  if (played.Ok()) return;
  const auto said = failureJournalled_.find(alert.Source);
  if (said != failureJournalled_.end() && said->second == alert.Episode) return;
  journal_.AddLogLine("The alert sound did not play: " + played.Message);
  failureJournalled_[alert.Source] = alert.Episode;
}

void PopupChannel::Raise(const Alert& alert) {
  if (!settings_.PopupNotification) return;
  if (alert.BeforeWait) alert.BeforeWait();
  view_.BringToFront();
  prompt_.Alert(alert.PopupText);
  if (alert.Answered) alert.Answered();
}

}  // namespace halvoric
