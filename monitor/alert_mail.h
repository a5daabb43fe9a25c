// SPDX-License-Identifier: GPL-3.0-or-later
// The alert mail and the test mail: one sender, one subject, the body given.
#pragma once

#include <string>

#include "services/mailer.h"

namespace halvoric {

inline constexpr const char* kAlertSender = "halvoric@localhost";
inline constexpr const char* kAlertSubject = "Halvoric Alert!";
inline constexpr const char* kAlertBodyPrefix = "The current temperature is: ";

inline MailArguments AlertMailWithBody(const std::string& recipient, const std::string& body) {
  MailArguments mail;
  mail.Sender = kAlertSender;
  mail.Recipient = recipient;
  mail.Subject = kAlertSubject;
  mail.Body = body;
  return mail;
}

inline MailArguments AlertMail(const std::string& recipient, const std::string& temperature) {
  return AlertMailWithBody(recipient, kAlertBodyPrefix + temperature);
}

}  // namespace halvoric
