// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/text_forms.h"

#include <algorithm>
#include <charconv>

#include "settings/settings.h"

namespace halvoric {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

std::size_t SkipSign(std::string_view text, std::size_t pos) {
  return pos < text.size() && (text[pos] == '+' || text[pos] == '-') ? pos + 1 : pos;
}

// Tells zero from non-zero without converting, so no text can overflow.
std::optional<bool> DecimalIsNonZero(std::string_view text) {
  std::size_t pos = SkipSign(text, 0);
  const std::size_t mantissa = pos;
  pos = SkipDigits(text, pos);
  if (pos < text.size() && text[pos] == '.') pos = SkipDigits(text, pos + 1);
  const std::string_view digits = text.substr(mantissa, pos - mantissa);
  if (std::none_of(digits.begin(), digits.end(), IsDigit)) return std::nullopt;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    const std::size_t exponent = SkipSign(text, pos + 1);
    pos = SkipDigits(text, exponent);
    if (pos == exponent) return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  return std::any_of(digits.begin(), digits.end(), [](char c) { return c >= '1' && c <= '9'; });
}

// ASCII only: the user's locale must not change what a file means.
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view text, std::string_view word) {
  return std::equal(text.begin(), text.end(), word.begin(), word.end(),
                    [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

}  // namespace

std::string BoolToText(bool value) { return value ? "-1" : "0"; }

std::optional<bool> BoolFromText(std::string_view text) {
  if (auto number = DecimalIsNonZero(text)) return number;
  if (EqualsIgnoringCase(text, "True")) return true;
  if (EqualsIgnoringCase(text, "False")) return false;
  return std::nullopt;
}

std::optional<std::uint32_t> WholeNumberIn(std::string_view text, std::uint32_t least,
                                           std::uint32_t most) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  // Signed, so that "-0" reads as the 0 it is.
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value < least || value > most) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::optional<std::uint8_t> CritTempInRange(std::string_view text) {
  const std::optional<std::uint32_t> value = WholeNumberIn(text, 0, 100);
  if (!value) return std::nullopt;
  return static_cast<std::uint8_t>(*value);
}

std::uint8_t CritTempFromText(std::string_view temp) {
  return CritTempInRange(temp).value_or(DefaultCritTemp);
}

}  // namespace halvoric
