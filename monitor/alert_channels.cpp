#include "monitor/alert_channels.h"

#include <filesystem>

#include "base/text_trim.h"
#include "monitor/alert_mail.h"

namespace halvoric {

bool AlertChannels::Mail(const std::string& body) {
  if (!settings_.EmailNotification || TrimControls(settings_.EmailAddr).empty()) return false;
  journal_.AddLogLine("SEND email to : " + settings_.EmailAddr);
  mails_.Send(AlertMailWithBody(settings_.EmailAddr, body), [this](const Result<>& sent) {
    if (!sent.Ok()) journal_.AddLogLine("The alert mail was not sent: " + sent.Message);
  });
  return true;
}

Result<> AlertChannels::Sound() {
  std::error_code ignored;
  // A folder is no sound; trying it would report a failure every time.
  if (!settings_.PlaySound || !std::filesystem::is_regular_file(settings_.SoundPath, ignored)) {
    return Result<>::Done();
  }
  return sounds_.Play(settings_.SoundPath);
}

}  // namespace halvoric
