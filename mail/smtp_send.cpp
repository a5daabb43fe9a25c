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

}  // namespace

std::string SendOverSmtp(const MailConfig& config, const Envelope& envelope,
                         const std::string& message) {
  std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) return "The mail transfer could not be set up.";
  const std::string recipient = Bracketed(envelope.Recipient);
  std::unique_ptr<curl_slist, ListDeleter> recipients(
      curl_slist_append(nullptr, recipient.c_str()));
  if (!recipients) return "The mail transfer could not be set up.";

  Upload upload{message};
  char detail[CURL_ERROR_SIZE] = {};
  const std::string sender = Bracketed(envelope.Sender);
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, detail);
  curl_easy_setopt(handle, CURLOPT_URL, config.Url.c_str());
  // Only mail URLs: a settings file must not turn this into a file or web upload.
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(handle, CURLOPT_MAIL_FROM, sender.c_str());
  curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.get());
  curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(handle, CURLOPT_READFUNCTION, ReadMessage);
  curl_easy_setopt(handle, CURLOPT_READDATA, &upload);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, config.TimeoutSeconds);
  // Timeouts without SIGALRM: the caller is a GUI program with threads of its own.
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  if (config.StartTls) curl_easy_setopt(handle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  if (!config.User.empty()) {
    curl_easy_setopt(handle, CURLOPT_USERNAME, config.User.c_str());
    curl_easy_setopt(handle, CURLOPT_PASSWORD, config.Password.c_str());
  }

  const CURLcode code = curl_easy_perform(handle);
  if (code == CURLE_OK) return {};
  std::string reason = "Mail to " + envelope.Recipient + " via " + config.Url + " failed: ";
  reason += detail[0] != '\0' ? detail : curl_easy_strerror(code);
  return reason;
}

}  // namespace halvoric::mail
