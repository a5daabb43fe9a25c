// Alert mails: the texts and numbers of one SendMail call of the mail
// library, and the seam that sends them.
#pragma once

#include <string>

#include "base/result.h"

namespace halvoric {

// The numbers default to what the program passes as arguments 4, 5, 8 and 9.
struct MailArguments {
  std::string Sender;
  std::string Recipient;
  std::string Subject;
  std::string Body;
  int Argument4 = 0;
  int Argument5 = 0;
  int Argument8 = 0;
  int Argument9 = 1000;
};

class Mailer {
 public:
  virtual ~Mailer() = default;
  // Blocks until the library returns; the message is the library's own.
  virtual Result<> Send(const MailArguments& mail) = 0;
};

}  // namespace halvoric
