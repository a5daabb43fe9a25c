#include "platform/autostart_entry_text.h"

#include "settings/utf8.h"

namespace halvoric {
namespace {

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
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

EntryText AutostartEntryText(std::string_view executable) {
  EntryText entry;
  if (executable.empty()) {
    entry.Error = "The path of the running program is unknown.";
  } else if (HasControlCharacter(executable)) {
    entry.Error = "The program's path contains a control character; no start-up entry can hold it.";
  } else if (!IsUtf8(executable)) {
    entry.Error = "The program's path is not UTF-8; no start-up entry can hold it.";
  }
  if (!entry.Ok()) return entry;

  entry.Text =
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
  return entry;
}

}  // namespace halvoric
