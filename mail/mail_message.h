// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the caller's texts into one RFC 5322 message ready for SMTP DATA.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "base/result.h"

namespace halvoric::mail {

struct MailMessage {
  std::string Sender;
  std::string Recipient;
  std::string Subject;
  std::string Body;
};

// The address without the blanks and tabs a user may have typed around it.
std::string_view TrimAddress(std::string_view address);

// One mailbox, local@domain, and nothing that SMTP or a header would read
// as more: no blanks, no '<' or '>', no control characters, exactly one '@'
// with text on both sides. Anything beyond that would reach the server as
// ESMTP parameters or further recipients.
bool IsSingleMailbox(std::string_view address);

// The address inside a message: control characters become '?', so that it
// cannot disturb the log it is written to.
std::string ShownAddress(std::string_view address);

// Headers, blank line, body; every line ends in CRLF. `now` gives the Date
// header, in the local time zone. Fails, saying why, for texts that cannot
// make a mail.
Result<std::string> ComposeMail(const MailMessage& message, std::time_t now);

// "Mon, 07 Dec 2026 21:19:15 +0000": the date form mail headers require,
// independent of the user's locale.
std::string MailDate(std::time_t when);

}  // namespace halvoric::mail
