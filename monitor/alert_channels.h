// The mail and the sound as every watch raises them: the channels the user
// switched on, and what they report back.
#pragma once

#include <string>

#include "monitor/mail_dispatch.h"
#include "services/sound_player.h"
#include "settings/journal.h"
#include "settings/settings.h"

namespace halvoric {

class AlertChannels {
 public:
  AlertChannels(const Settings& settings, JournalLines& journal, MailQueue& mails,
                SoundPlayer& sounds)
      : settings_(settings), journal_(journal), mails_(mails), sounds_(sounds) {}

  // Queues an alert mail with `body`, journalled before it goes and when it
  // fails; false when the mail is off or has no address.
  bool Mail(const std::string& body);
  // Plays the alert sound when it is on and its file exists; the failure,
  // for the caller to journal as often as it sees fit.
  Result<> Sound();

 private:
  const Settings& settings_;
  JournalLines& journal_;
  MailQueue& mails_;
  SoundPlayer& sounds_;
};

}  // namespace halvoric
