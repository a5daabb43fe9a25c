// SPDX-License-Identifier: GPL-3.0-or-later
#include "mail/mail_config.h"

#include <arpa/inet.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/config_home.h"
#include "mail/mail_message.h"

namespace halvoric::mail {
namespace {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::optional<bool> ParseFlag(std::string_view value) {
  if (value == "yes" || value == "true" || value == "1") return true;
  if (value == "no" || value == "false" || value == "0") return false;
  return std::nullopt;
}

std::optional<long> ParseSeconds(std::string_view value) {
  long seconds = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (error != std::errc() || end != value.data() + value.size() || seconds <= 0 ||
      seconds > kMaxTimeoutSeconds) {
    return std::nullopt;
  }
  return seconds;
}

bool IsKeyName(std::string_view key) {
  for (const char c : key) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_' && c != '-') return false;
  }
  return true;
}

Result<> Apply(std::string_view key, std::string_view value, MailConfig& config) {
  if (key == "url") {
    config.Url = value;
  } else if (key == "user") {
    config.User = value;
  } else if (key == "password") {
    config.Password = value;
  } else if (key == "starttls") {
    const auto flag = ParseFlag(value);
    if (!flag) return Failure{"starttls must be yes or no"};
    config.StartTls = *flag;
  } else if (key == "timeout") {
    const auto seconds = ParseSeconds(value);
    if (!seconds) {
      return Failure{"timeout must be a number of seconds from 1 to " +
                     std::to_string(kMaxTimeoutSeconds)};
    }
    config.TimeoutSeconds = *seconds;
  } else if (key == "from") {
    // Empty: the sender the caller gives.
    if (!value.empty() && !IsSingleMailbox(value)) {
      return Failure{"from \"" + ShownAddress(value) + "\" is not a single mail address"};
    }
    config.From = value;
  } else if (IsKeyName(key)) {
    return Failure{"unknown key \"" + std::string(key) + "\""};
  } else {
    // Not a key at all, maybe a URL with a login in it; messages go to
    // syslog, so it is not repeated.
    return Failure{"expected key=value"};
  }
  return Result<>::Done();
}

struct UrlParts {
  std::string_view Scheme;  // with "://", or empty
  std::string_view Login;   // user[:password], without the '@'
  std::string_view Rest;
};

UrlParts SplitLogin(std::string_view url) {
  const auto scheme = url.find("://");
  const std::size_t start = scheme == std::string_view::npos ? 0 : scheme + 3;
  // Up to the last '@' of the whole URL, not of the authority: a password
  // typed without escaping may hold '/', '?', '#' or '@', and none of it
  // may show.
  const auto at = url.rfind('@');
  if (at == std::string_view::npos || at < start) {
    return {url.substr(0, start), {}, url.substr(start)};
  }
  return {url.substr(0, start), url.substr(start, at - start), url.substr(at + 1)};
}

bool HoldsPassword(const MailConfig& config) {
  return !config.Password.empty() ||
         SplitLogin(config.Url).Login.find(':') != std::string_view::npos;
}

bool OthersMayRead(const std::filesystem::path& path) {
  using std::filesystem::perms;
  std::error_code unknown;
  const perms mode = std::filesystem::status(path, unknown).permissions();
  // When the mode cannot be told, the password is not trusted to be safe.
  return unknown || mode == perms::unknown ||
         (mode & (perms::group_read | perms::others_read)) != perms::none;
}

// The scheme of a URL in lower case; libcurl takes any case, and guesses
// plain smtp for a mail URL without one.
std::string UrlScheme(std::string_view url) {
  const auto end = url.find("://");
  if (end == std::string_view::npos) return "smtp";
  std::string scheme(url.substr(0, end));
  for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return scheme;
}

// The part between the scheme and the path: [user[:password]@]host[:port].
std::string_view UrlAuthority(std::string_view url) {
  if (const auto scheme = url.find("://"); scheme != std::string_view::npos) {
    url.remove_prefix(scheme + 3);
  }
  return url.substr(0, url.find_first_of("/?#"));
}

std::string_view UrlHost(std::string_view url) {
  std::string_view host = UrlAuthority(url);
  if (const auto at = host.rfind('@'); at != std::string_view::npos) host.remove_prefix(at + 1);
  if (host.starts_with('[')) return host.substr(0, host.find(']') + 1);
  return host.substr(0, host.find(':'));
}

// Only what surely is this machine: a numeric 127.x.x.x, not a name that
// merely starts like one.
bool IsLoopbackHost(std::string_view host) {
  if (host == "localhost" || host == "[::1]") return true;
  in_addr address{};
  return inet_pton(AF_INET, std::string(host).c_str(), &address) == 1 &&
         (ntohl(address.s_addr) >> 24) == 127;
}

// A login the server would read off the network unencrypted: a user in
// the settings or in the URL, over plain smtp to another machine.
bool LoginInTheClear(const MailConfig& config) {
  const bool login = !config.User.empty() || UrlAuthority(config.Url).find('@') != std::string_view::npos;
  return login && !config.StartTls && UrlScheme(config.Url) == "smtp" &&
         !IsLoopbackHost(UrlHost(config.Url));
}

}  // namespace

std::optional<std::filesystem::path> MailConfigPath(const char* xdgConfigHome, const char* home) {
  const auto configHome = ConfigHome(xdgConfigHome, home);
  if (!configHome) return std::nullopt;
  return *configHome / "halvoric" / "mail.conf";
}

Result<MailConfig> ParseMailConfig(std::string_view text) {
  MailConfig config;
  int lineNumber = 0;
  while (!text.empty()) {
    const auto newline = text.find('\n');
    const std::string_view line = Trim(text.substr(0, newline));
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;

    const auto equals = line.find('=');
    const Result<> taken =
        equals == std::string_view::npos
            ? Result<>(Failure{"expected key=value"})
            : Apply(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), config);
    if (!taken.Ok()) return Failure{"line " + std::to_string(lineNumber) + ": " + taken.Message};
  }
  if (LoginInTheClear(config)) {
    return Failure{
        "a login over smtp:// needs starttls=yes (or an smtps:// url): the password would "
        "cross the network unencrypted"};
  }
  return config;
}

Result<MailConfig> ReadMailConfig(const std::filesystem::path& path) {
  std::error_code missing;
  if (!std::filesystem::exists(path, missing) && !missing) return MailConfig{};
  std::ifstream file(path, std::ios::binary);
  if (!file) return Failure{"cannot read " + path.string() + ": " + std::strerror(errno)};
  std::ostringstream text;
  text << file.rdbuf();
  Result<MailConfig> read = ParseMailConfig(text.str());
  if (!read.Ok()) return Failure{path.string() + ", " + read.Message};
  // As ssh does with its keys: a password others can read is no secret.
  if (HoldsPassword(*read) && OthersMayRead(path)) {
    return Failure{path.string() + " holds a password that other users may read; make it "
                   "private with: chmod 600 " + path.string()};
  }
  return read;
}

std::string UrlWithoutLogin(std::string_view url) {
  const UrlParts parts = SplitLogin(url);
  return std::string(parts.Scheme) + std::string(parts.Rest);
}

Result<MailConfig> ReadUserMailConfig() {
  const auto path = MailConfigPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  if (!path) return MailConfig{};
  return ReadMailConfig(*path);
}

}  // namespace halvoric::mail
