// SPDX-License-Identifier: GPL-3.0-or-later
// How settings are written as text and read back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halvoric {

std::string BoolToText(bool value);  // "-1" or "0"

// A decimal number (integer or fraction, '.' as separator, optional exponent)
// is true when it is not zero; otherwise "True" and "False" in any letter case.
// None for any other text.
std::optional<bool> BoolFromText(std::string_view text);

// The whole number least..most that `text` holds (decimal, an optional sign),
// or none for any other text.
std::optional<std::uint32_t> WholeNumberIn(std::string_view text, std::uint32_t least,
                                           std::uint32_t most);

// The whole number 0..100 that `text` holds (decimal, an optional "+"),
// or none for any other text.
std::optional<std::uint8_t> CritTempInRange(std::string_view text);

// The whole number 0..100 that `temp` holds, else DefaultCritTemp: a value
// out of range must not turn into a low limit that sets off every alert.
std::uint8_t CritTempFromText(std::string_view temp);

}  // namespace halvoric
