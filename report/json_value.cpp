// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/json_value.h"

#include <cstdio>

#include "base/utf8.h"

namespace halvoric::cli {
namespace {

void PrintMembers(std::ostream& out, const JsonValue::Object& object, int indent) {
  if (object.Members.empty()) {
    out << "{}";
    return;
  }
  const std::string inner(object.OneLine ? 0 : indent + 2, ' ');
  out << '{';
  for (std::size_t i = 0; i < object.Members.size(); ++i) {
    if (object.OneLine) {
      out << (i ? ", " : "");
    } else {
      out << (i ? ",\n" : "\n") << inner;
    }
    out << JsonString(object.Members[i].first) << ": ";
    object.Members[i].second.Print(out, indent + 2);
  }
  if (!object.OneLine) out << '\n' << std::string(indent, ' ');
  out << '}';
}

}  // namespace

std::string JsonString(const std::string& bytes) {
  std::string out = "\"";
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    char escaped[12];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (const std::size_t n = Utf8SequenceAt(bytes, i)) {
      // Escaped, a C1 control or a bidirectional override reaches whoever
      // prints the parsed value, but not the terminal showing the JSON.
      if (const char32_t code = Utf8CodePoint(bytes, i, n); IsSteeringCharacter(code)) {
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(code));
        out += escaped;
      } else {
        out.append(bytes, i, n);
      }
      i += n;
      continue;
    } else {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    }
    ++i;
  }
  return out + "\"";
}

void JsonValue::Print(std::ostream& out, int indent) const {
  if (std::holds_alternative<std::monostate>(value_)) {
    out << "null";
  } else if (const bool* flag = std::get_if<bool>(&value_)) {
    out << (*flag ? "true" : "false");
  } else if (const std::int64_t* number = std::get_if<std::int64_t>(&value_)) {
    out << *number;
  } else if (const std::uint64_t* unsignedNumber = std::get_if<std::uint64_t>(&value_)) {
    out << *unsignedNumber;
  } else if (const std::string* text = std::get_if<std::string>(&value_)) {
    out << JsonString(*text);
  } else if (const JsonItems* items = std::get_if<JsonItems>(&value_)) {
    bool plain = true;
    for (const JsonValue& item : *items) plain = plain && !item.IsContainer();
    const std::string inner(plain ? 0 : indent + 2, ' ');
    out << '[';
    for (std::size_t i = 0; i < items->size(); ++i) {
      if (plain) {
        out << (i ? ", " : "");
      } else {
        out << (i ? ",\n" : "\n") << inner;
      }
      (*items)[i].Print(out, indent + 2);
    }
    if (!plain && !items->empty()) out << '\n' << std::string(indent, ' ');
    out << ']';
  } else {
    PrintMembers(out, std::get<Object>(value_), indent);
  }
}

}  // namespace halvoric::cli
