// Sending the alert mail.
#pragma once

#include <string>

namespace halvoric {

struct MailMessage {
  std::string From;
  std::string To;
  std::string Subject;
  std::string Body;
};

struct MailResult {
  bool Sent = false;
  std::string Error;  // why not, when not sent
};

class Mailer {
 public:
  virtual ~Mailer() = default;
  virtual MailResult Send(const MailMessage& message) = 0;
};

}  // namespace halvoric
