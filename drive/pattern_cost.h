// SPDX-License-Identifier: GPL-3.0-or-later
// A bound on what a drive database pattern costs to compile, read from its
// text. The regex library copies a repeated piece once per repetition, so a
// pattern of a few hundred bytes ("S+++…", "(a{99}){99}") can take gigabytes
// before it fails; such a pattern is refused without compiling it.
#pragma once

#include <string_view>

namespace halvoric {

// Whether the POSIX extended `pattern` expands to few enough pieces to
// compile in little memory. Every pattern of the field's database does.
bool PatternCompilesSmall(std::string_view pattern);

}  // namespace halvoric
