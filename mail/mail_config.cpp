#include "mail/mail_config.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

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

// Returns an error text, empty when the pair was taken.
std::string Apply(std::string_view key, std::string_view value, MailConfig& config) {
  if (key == "url") {
    config.Url = value;
  } else if (key == "user") {
    config.User = value;
  } else if (key == "password") {
    config.Password = value;
  } else if (key == "starttls") {
    const auto flag = ParseFlag(value);
    if (!flag) return "starttls must be yes or no";
    config.StartTls = *flag;
  } else if (key == "timeout") {
    const auto seconds = ParseSeconds(value);
    if (!seconds) {
      return "timeout must be a number of seconds from 1 to " + std::to_string(kMaxTimeoutSeconds);
    }
    config.TimeoutSeconds = *seconds;
  } else if (key == "from") {
    if (value.find_first_of("\r\n<>") != std::string_view::npos) return "from must be one address";
    config.From = value;
  } else {
    return "unknown key \"" + std::string(key) + "\"";
  }
  return {};
}

bool IsAbsoluteFolder(const char* value) { return value != nullptr && value[0] == '/'; }

// The host of an smtp:// or smtps:// URL, without user part, port or path.
std::string_view UrlHost(std::string_view url) {
  const auto scheme = url.find("://");
  if (scheme == std::string_view::npos) return {};
  url.remove_prefix(scheme + 3);
  url = url.substr(0, url.find_first_of("/?#"));
  if (const auto at = url.rfind('@'); at != std::string_view::npos) url.remove_prefix(at + 1);
  if (url.starts_with('[')) return url.substr(0, url.find(']') + 1);
  return url.substr(0, url.find(':'));
}

bool IsLoopbackHost(std::string_view host) {
  return host == "localhost" || host.starts_with("127.") || host == "[::1]";
}

// A login the server would read off the network unencrypted.
bool LoginInTheClear(const MailConfig& config) {
  return !config.User.empty() && !config.StartTls && config.Url.starts_with("smtp://") &&
         !IsLoopbackHost(UrlHost(config.Url));
}

}  // namespace

std::optional<std::filesystem::path> MailConfigPath(const char* xdgConfigHome, const char* home) {
  std::filesystem::path configHome;
  if (IsAbsoluteFolder(xdgConfigHome)) {
    configHome = xdgConfigHome;
  } else if (IsAbsoluteFolder(home)) {
    configHome = std::filesystem::path(home) / ".config";
  } else {
    return std::nullopt;
  }
  return configHome / "halvoric" / "mail.conf";
}

MailConfigRead ParseMailConfig(std::string_view text) {
  MailConfigRead read;
  int lineNumber = 0;
  while (!text.empty()) {
    const auto newline = text.find('\n');
    const std::string_view line = Trim(text.substr(0, newline));
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;

    const auto equals = line.find('=');
    std::string problem =
        equals == std::string_view::npos
            ? "expected key=value"
            : Apply(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), read.Config);
    if (!problem.empty()) {
      read.Error = "line " + std::to_string(lineNumber) + ": " + problem;
      return read;
    }
  }
  if (LoginInTheClear(read.Config)) {
    read.Error =
        "a login over smtp:// needs starttls=yes (or an smtps:// url): the password would "
        "cross the network unencrypted";
  }
  return read;
}

MailConfigRead ReadMailConfig(const std::filesystem::path& path) {
  std::error_code missing;
  if (!std::filesystem::exists(path, missing) && !missing) return {};
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    MailConfigRead failed;
    failed.Error = "cannot read " + path.string() + ": " + std::strerror(errno);
    return failed;
  }
  std::ostringstream text;
  text << file.rdbuf();
  MailConfigRead read = ParseMailConfig(text.str());
  if (!read.Ok()) read.Error = path.string() + ", " + read.Error;
  return read;
}

MailConfigRead ReadUserMailConfig() {
  const auto path = MailConfigPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  return path ? ReadMailConfig(*path) : MailConfigRead{};
}

}  // namespace halvoric::mail
