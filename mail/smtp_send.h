// SPDX-License-Identifier: GPL-3.0-or-later
// Hands a composed mail to an SMTP server through libcurl.
#pragma once

#include <string>

#include "base/result.h"
#include "mail/mail_config.h"

namespace halvoric::mail {

struct Envelope {
  std::string Sender;
  std::string Recipient;
};

// Fails with the reason the server did not accept the mail.
Result<> SendOverSmtp(const MailConfig& config, const Envelope& envelope,
                      const std::string& message);

}  // namespace halvoric::mail
