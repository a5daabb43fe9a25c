// SPDX-License-Identifier: GPL-3.0-or-later
// Alert mails: the texts and numbers of one SendMail call of the mail
// library, and the seam that sends them.
#pragma once

#include <string>

#include "base/result.h"

namespace halvoric {

// The Reserved numbers are the mail library's arguments 4, 5, 8 and 9,
// which it takes and ignores; they hold what the program has always passed.
struct MailArguments {
  std::string Sender;
  std::string Recipient;
  std::string Subject;
  std::string Body;
  int Reserved4 = 0;
  int Reserved5 = 0;
  int Reserved8 = 0;
  int Reserved9 = 1000;
};

class Mailer {
 public:
  virtual ~Mailer() = default;
  // Blocks until the library returns; the message is the library's own.
  virtual Result<> Send(const MailArguments& mail) = 0;
};

}  // namespace halvoric
