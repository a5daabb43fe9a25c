// SPDX-License-Identifier: GPL-3.0-or-later
// A small JSON document tree and its printer: the command-line tool builds
// each document whole, so every value is written in one place, with one
// escaping, and absent figures are null rather than a stand-in number.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace halvoric::cli {

// A JSON string literal. Drive texts are bytes: valid UTF-8 passes, every
// other byte is written as the Latin-1 character of that code; controls and
// the characters that steer a terminal or a line's direction are escaped.
std::string JsonString(const std::string& bytes);

class JsonValue;
using JsonMembers = std::vector<std::pair<std::string, JsonValue>>;
using JsonItems = std::vector<JsonValue>;

class JsonValue {
 public:
  struct Object {
    JsonMembers Members;
    bool OneLine = false;  // short records read best as one line each
  };

  JsonValue() = default;  // null
  JsonValue(std::nullptr_t) {}
  JsonValue(bool value) : value_(value) {}
  JsonValue(std::int64_t value) : value_(value) {}
  JsonValue(std::uint64_t value) : value_(value) {}
  JsonValue(int value) : value_(std::int64_t{value}) {}
  JsonValue(unsigned value) : value_(std::uint64_t{value}) {}
  JsonValue(std::string value) : value_(std::move(value)) {}
  JsonValue(const char* value) : value_(std::string(value)) {}
  JsonValue(JsonItems items) : value_(std::move(items)) {}
  JsonValue(Object object) : value_(std::move(object)) {}

  template <typename T>
  static JsonValue OrNull(const std::optional<T>& value) {
    return value ? JsonValue(*value) : JsonValue();
  }

  // Two-space indentation; a one-line object and an array of plain values
  // stay on one line.
  void Print(std::ostream& out, int indent = 0) const;

 private:
  bool IsContainer() const {
    return std::holds_alternative<JsonItems>(value_) || std::holds_alternative<Object>(value_);
  }

  std::variant<std::monostate, bool, std::int64_t, std::uint64_t, std::string, JsonItems, Object>
      value_;
};

inline JsonValue JsonObject(JsonMembers members) { return JsonValue::Object{std::move(members)}; }
inline JsonValue JsonLine(JsonMembers members) {
  return JsonValue::Object{std::move(members), true};
}

}  // namespace halvoric::cli
