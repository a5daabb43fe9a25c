// Hands a composed mail to an SMTP server through libcurl.
#pragma once

#include <string>

#include "mail/mail_config.h"

namespace halvoric::mail {

struct Envelope {
  std::string Sender;
  std::string Recipient;
};

// Returns the reason the server did not accept the mail; empty on success.
std::string SendOverSmtp(const MailConfig& config, const Envelope& envelope,
                         const std::string& message);

}  // namespace halvoric::mail
