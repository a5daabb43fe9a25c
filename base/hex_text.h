// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes written as two lower-case hex digits each: what a drive sent (a
// serial, a model) kept in a line of a file without its blanks or line
// breaks taking part in the line's own structure.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace halvoric {

std::string HexOf(std::string_view bytes);
// None for text that is not pairs of hex digits.
std::optional<std::string> BytesOfHex(std::string_view hex);

}  // namespace halvoric
