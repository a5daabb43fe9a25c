// The program's side of the mail library: the Mailer seam, and the Linux
// implementation that loads libhalvoric-sendmail.so at run time and calls its
// SendMail with the nine arguments in their fixed order.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/alert_outcome.h"

namespace halvoric {

inline constexpr const char* kMailLibraryFileName = "libhalvoric-sendmail.so";

// The texts and numbers of one SendMail call; the numbers default to what the
// program passes as arguments 4, 5, 8 and 9.
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
  // Blocks until the library returns; the error text is the library's own.
  virtual AlertOutcome Send(const MailArguments& mail) = 0;
};

// Never null: when the library or its entry points cannot be found, the
// returned mailer fails every Send with the reason.
std::unique_ptr<Mailer> LoadMailer(const std::filesystem::path& library);

// The library in the folder of the running executable.
std::filesystem::path MailLibraryBesideExecutable();

}  // namespace halvoric
