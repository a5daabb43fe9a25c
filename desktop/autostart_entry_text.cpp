// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/autostart_entry_text.h"

#include "base/utf8.h"

namespace halvoric {
namespace {

constexpr std::string_view kUnstartable = "%\"`$\\";

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// A key file's string value: backslashes doubled, a leading blank kept.
std::string KeyFileString(std::string_view text) {
  std::string value;
  for (const char c : text) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
  if (value.starts_with(' ')) value.replace(0, 1, "\\s");
  return value;
}

}  // namespace

std::string QuotedExecValue(std::string_view executable) {
  std::string value = "\"";
  for (const char c : executable) {
    switch (c) {
      case '"':
      case '`':
      case '$':
        value += '\\';
        value += c;
        break;
      case '\\':
        // Quoting makes it \\, and the key file's string escaping doubles both.
        value += "\\\\\\\\";
        break;
      case '%':
        value += "%%";
        break;
      default:
        value += c;
    }
  }
  value += '"';
  return value;
}

Result<std::string> AutostartEntryText(std::string_view executable,
                                       std::string_view workingDirectory) {
  if (executable.empty()) return Failure{"The path of the running program is unknown."};
  if (HasControlCharacter(executable)) {
    return Failure{
        "The program's path contains a control character; no start-up entry can hold it."};
  }
  if (!IsUtf8(executable)) {
    return Failure{"The program's path is not UTF-8; no start-up entry can hold it."};
  }
  if (HasControlCharacter(workingDirectory) || !IsUtf8(workingDirectory)) {
    return Failure{"The current folder's path cannot be held by a start-up entry."};
  }
  // What a key file can hold, desktops may still not start: GLib refuses a
  // program path with %, and the systemd autostart generator one with any
  // of these, or drops the blanks that end a working folder. An entry that
  // would silently not start is worse than none.
  if (const std::size_t at = executable.find_first_of(kUnstartable); at != std::string_view::npos) {
    return Failure{"The program's path contains " + std::string(1, executable[at]) +
                   ", which some desktops cannot start; no start-up entry was written."};
  }
  if (workingDirectory.find('%') != std::string_view::npos) {
    return Failure{
        "The current folder's path contains %, which some desktops cannot start in; no start-up "
        "entry was written."};
  }
  if (workingDirectory.ends_with(' ')) {
    return Failure{
        "The current folder's path ends with a blank, which some desktops drop; no start-up entry "
        "was written."};
  }

  std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Version=1.0\n"
      "Name=Halvoric\n"
      "Comment=Watches the temperature of the hard disks\n"
      "Exec=" +
      QuotedExecValue(executable) +
      "\n"
      "Terminal=false\n"
      "X-GNOME-Autostart-enabled=true\n";
  // The program keeps its settings in its current folder: started at logon
  // anywhere else, it would read other ones.
  if (!workingDirectory.empty()) entry += "Path=" + KeyFileString(workingDirectory) + "\n";
  return entry;
}

}  // namespace halvoric
