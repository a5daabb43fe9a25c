// SPDX-License-Identifier: GPL-3.0-or-later
// The C entry of the mail library. Nothing may escape it but the result and
// the error text: the caller is C-linkage code loaded through dlsym.
#include "mail/send_mail.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <string>

#include "mail/mail_config.h"
#include "mail/mail_message.h"
#include "mail/smtp_send.h"

#define HALVORIC_EXPORT __attribute__((visibility("default")))

namespace {

using halvoric::Failure;
using halvoric::Result;
using halvoric::mail::TrimAddress;

std::string Text(const char* text) { return text != nullptr ? text : ""; }

Result<> Send(const char* sender, const char* recipient, const char* subject, const char* body) {
  const Result<halvoric::mail::MailConfig> settings = halvoric::mail::ReadUserMailConfig();
  if (!settings.Ok()) return Failure{"Mail settings: " + settings.Message};

  // The server's own settings may name the sender its login is allowed to use.
  const std::string from = settings->From.empty() ? Text(sender) : settings->From;
  const halvoric::mail::MailMessage message{std::string(TrimAddress(from)),
                                            std::string(TrimAddress(Text(recipient))),
                                            Text(subject), Text(body)};
  const Result<std::string> mail = halvoric::mail::ComposeMail(message, std::time(nullptr));
  if (!mail.Ok()) return Failure{mail.Message};
  return halvoric::mail::SendOverSmtp(*settings, {message.Sender, message.Recipient}, *mail);
}

// malloc, so that SendMail_FreeText can release it whatever allocator the caller uses.
char* CopyOut(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace

extern "C" HALVORIC_EXPORT int SendMail(char** errorText, const char* sender, const char* recipient,
                                        int, int, const char* subject, const char* body, int, int) {
  Result<> sent;
  try {
    sent = Send(sender, recipient, subject, body);
  } catch (const std::exception& e) {
    sent = Failure{std::string("Mail could not be sent: ") + e.what()};
  } catch (...) {
    sent = Failure{"Mail could not be sent."};
  }
  if (errorText != nullptr) *errorText = sent.Ok() ? nullptr : CopyOut(sent.Message);
  return sent.Ok() ? 1 : 0;
}

extern "C" HALVORIC_EXPORT void SendMail_FreeText(char* text) { std::free(text); }
