// SPDX-License-Identifier: GPL-3.0-or-later
#include "mail/mail_message.h"

#include <array>
#include <cstdio>

namespace halvoric::mail {
namespace {

// A CR or LF in a header field would let the text start headers of its own.
bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
    if (left > 1) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += left > 1 ? kDigits[(group >> 6) & 63] : '=';
    out += left > 2 ? kDigits[group & 63] : '=';
  }
  return out;
}

// Headers are ASCII; other subjects travel as an RFC 2047 encoded word.
std::string SubjectField(std::string_view subject) {
  if (IsAscii(subject)) return std::string(subject);
  return "=?UTF-8?B?" + Base64(subject) + "?=";
}

// Bare LF, bare CR and CRLF all become CRLF, and the body ends with one.
std::string CrlfLines(std::string_view body) {
  std::string out;
  out.reserve(body.size() + body.size() / 16 + 2);
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\r') {
      if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (body[i] == '\n') {
      out += "\r\n";
    } else {
      out += body[i];
    }
  }
  if (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0) out += "\r\n";
  return out;
}

}  // namespace

std::string_view TrimAddress(std::string_view address) {
  const auto first = address.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return address.substr(first, address.find_last_not_of(" \t") - first + 1);
}

bool IsSingleMailbox(std::string_view address) {
  for (const char c : address) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '<' || c == '>') return false;
  }
  const auto at = address.find('@');
  return at != std::string_view::npos && at != 0 && at + 1 != address.size() &&
         address.find('@', at + 1) == std::string_view::npos;
}

std::string ShownAddress(std::string_view address) {
  std::string shown(address);
  for (char& c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return shown;
}

std::string MailDate(std::time_t when) {
  static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed",
                                                       "Thu", "Fri", "Sat"};
  static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm local{};
  localtime_r(&when, &local);
  const long offsetMinutes = local.tm_gmtoff / 60;
  const long absolute = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                kDays.at(local.tm_wday), local.tm_mday, kMonths.at(local.tm_mon),
                local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
                offsetMinutes < 0 ? '-' : '+', absolute / 60, absolute % 60);
  return text;
}

Result<std::string> ComposeMail(const MailMessage& message, std::time_t now) {
  // Of several faults, the one told is the first of these.
  if (HasLineBreak(message.Subject)) return Failure{"The subject must not contain a line break."};
  if (HasLineBreak(message.Sender) || HasLineBreak(message.Recipient)) {
    return Failure{"A mail address must not contain a line break."};
  }
  if (message.Recipient.empty()) return Failure{"The recipient address is empty."};
  if (message.Sender.empty()) return Failure{"The sender address is empty."};
  if (!IsSingleMailbox(message.Recipient)) {
    return Failure{"The recipient address \"" + ShownAddress(message.Recipient) +
                   "\" is not a single mail address."};
  }
  if (!IsSingleMailbox(message.Sender)) {
    return Failure{"The sender address \"" + ShownAddress(message.Sender) +
                   "\" is not a single mail address."};
  }

  return "Date: " + MailDate(now) + "\r\n" +                     //
         "From: <" + message.Sender + ">\r\n" +                  //
         "To: <" + message.Recipient + ">\r\n" +                 //
         "Subject: " + SubjectField(message.Subject) + "\r\n" +  //
         "MIME-Version: 1.0\r\n" +                               //
         "Content-Type: text/plain; charset=UTF-8\r\n" +         //
         "Content-Transfer-Encoding: 8bit\r\n" +                 //
         "\r\n" + CrlfLines(message.Body);
}

}  // namespace halvoric::mail
