// SPDX-License-Identifier: GPL-3.0-or-later
// What a drive database pattern's matches must begin with, read from the
// pattern's text without compiling it: the database holds hundreds of model
// patterns, and compiling them all costs more at start-up than matching
// the few drives of a machine against the ones that can match.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvoric {

// Every text that the POSIX extended `pattern` matches as a whole begins
// with one of the returned literals (an empty one: any text may match).
// None when the pattern is beyond the plain forms read here (anchors,
// intervals, character classes, back-references, unbalanced groups, empty
// branches): such a pattern must be compiled to be judged. A pattern read
// here is one regcomp accepts.
std::optional<std::vector<std::string>> PatternBeginnings(std::string_view pattern);

}  // namespace halvoric
