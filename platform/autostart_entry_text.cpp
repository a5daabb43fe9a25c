#include "platform/autostart_entry_text.h"

namespace halvoric {
namespace {

std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Strict enough for a key file: no stray continuation bytes, no truncated or
// overlong sequences, nothing beyond U+10FFFF.
bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8SequenceLength(lead);
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    const auto second = static_cast<unsigned char>(length > 1 ? text[i + 1] : 0);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
      return false;
    }
    i += length;
  }
  return true;
}

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
