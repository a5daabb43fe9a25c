// SPDX-License-Identifier: GPL-3.0-or-later
// The outcome of anything that can be expected to fail: done (with a value
// where there is one), or failed with a message the user can read. Nothing
// below the window throws; callers decide whether and where to show Message.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace halvoric {

// Converts to any Result, so `return Failure{"why"};` works whatever the
// function returns.
struct Failure {
  std::string Message;
};

template <typename T = void>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Failure failure) : Message(std::move(failure.Message)) {}

  bool Ok() const { return value_.has_value(); }
  // Only when Ok().
  T& Value() { return *value_; }
  const T& Value() const { return *value_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

  std::string Message;  // why it failed; empty when Ok()

 private:
  std::optional<T> value_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : Message(std::move(failure.Message)), ok_(false) {}

  static Result Done() { return {}; }

  bool Ok() const { return ok_; }

  std::string Message;  // why it failed; empty when Ok()

 private:
  bool ok_ = true;
};

}  // namespace halvoric
