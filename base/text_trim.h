// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace halvoric {

// Removes the leading and trailing bytes with codes 0 to 32: blanks, tabs,
// line breaks and the other control characters.
constexpr std::string_view TrimControls(std::string_view text) {
  const auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && isControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && isControl(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace halvoric
