// SPDX-License-Identifier: GPL-3.0-or-later
// Text cut into lines and blank-separated words, as the program's own files
// and the scenarios are written. No streams: the first stream sets up the
// C++ library's locale, which keeps some 0.25 MiB of its code resident in a
// program that idles.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace halvoric {

// The lines without their '\n', as std::getline gives them: a last line
// ended by '\n' is followed by none.
std::vector<std::string> Lines(std::string_view text);

// The words between blanks, tabs and the other white space.
std::vector<std::string> Words(std::string_view text);

}  // namespace halvoric
