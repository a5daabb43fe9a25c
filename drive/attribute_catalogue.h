// SPDX-License-Identifier: GPL-3.0-or-later
// Display names of S.M.A.R.T. attribute IDs.
#pragma once

#include <cstdint>
#include <string_view>

namespace halvoric {

inline constexpr std::string_view kUnknownAttributeName = "(Unknown attribute)     ";

// The catalogue name, padded with blanks to 24 characters (one name is 26);
// IDs outside the catalogue get kUnknownAttributeName.
std::string_view GetAttributeName(std::uint8_t id);

}  // namespace halvoric
