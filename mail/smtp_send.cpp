// SPDX-License-Identifier: GPL-3.0-or-later
#include "mail/smtp_send.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

namespace halvoric::mail {
namespace {

struct EasyDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Upload {
  std::string_view Left;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* userdata) {
  auto* upload = static_cast<Upload*>(userdata);
  const size_t taken = std::min(size * count, upload->Left.size());
  std::memcpy(buffer, upload->Left.data(), taken);
  upload->Left.remove_prefix(taken);
  return taken;
}

std::string Bracketed(const std::string& address) { return "<" + address + ">"; }

// The program may send an alert mail and the test mail at once, from two
// threads; libcurl's global set-up is safe from two threads only in its
// newer versions, so it is done once, here.
bool GlobalSetUpDone() {
  static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return done;
}

}  // namespace

Result<> SendOverSmtp(const MailConfig& config, const Envelope& envelope,
                      const std::string& message) {
  if (!GlobalSetUpDone()) return Failure{"The mail transfer could not be set up."};
  std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) return Failure{"The mail transfer could not be set up."};
  const std::string recipient = Bracketed(envelope.Recipient);
  std::unique_ptr<curl_slist, ListDeleter> recipients(
      curl_slist_append(nullptr, recipient.c_str()));
  if (!recipients) return Failure{"The mail transfer could not be set up."};

  Upload upload{message};
  char detail[CURL_ERROR_SIZE] = {};
  const std::string sender = Bracketed(envelope.Sender);
  CURL* handle = curl.get();
  // An option libcurl refuses (a timeout beyond its range, an old libcurl)
  // must stop the mail, not quietly send it without the option.
  CURLcode refused = CURLE_OK;
  const auto set = [&](CURLoption option, auto value) {
    if (refused == CURLE_OK) refused = curl_easy_setopt(handle, option, value);
  };
  set(CURLOPT_ERRORBUFFER, detail);
  set(CURLOPT_URL, config.Url.c_str());
  // Only mail URLs: a settings file must not turn this into a file or web upload.
  set(CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  set(CURLOPT_MAIL_FROM, sender.c_str());
  set(CURLOPT_MAIL_RCPT, recipients.get());
  set(CURLOPT_UPLOAD, 1L);
  set(CURLOPT_READFUNCTION, ReadMessage);
  set(CURLOPT_READDATA, &upload);
  set(CURLOPT_TIMEOUT, config.TimeoutSeconds);
  // Timeouts without SIGALRM: the caller is a GUI program with threads of its own.
  set(CURLOPT_NOSIGNAL, 1L);
  if (config.StartTls) set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  if (!config.User.empty()) {
    set(CURLOPT_USERNAME, config.User.c_str());
    set(CURLOPT_PASSWORD, config.Password.c_str());
  }
  if (refused != CURLE_OK) {
    return Failure{std::string("The mail transfer could not be set up: ") +
                   curl_easy_strerror(refused)};
  }

  const CURLcode code = curl_easy_perform(handle);
  if (code == CURLE_OK) return Result<>::Done();
  std::string reason = "Mail to " + envelope.Recipient + " via " + UrlWithoutLogin(config.Url) +
                       " failed: ";
  reason += detail[0] != '\0' ? detail : curl_easy_strerror(code);
  return Failure{std::move(reason)};
}

}  // namespace halvoric::mail
