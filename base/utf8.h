// Which bytes of a text are UTF-8. A drive's strings and the settings' texts
// are bytes that need not be, and whatever passes them on to a stricter
// reader (a JSON parser, a desktop entry) must tell.
#pragma once

#include <cstddef>
#include <string_view>

namespace halvoric {

// The length of the valid UTF-8 sequence that starts at `text[at]`: 1 for
// ASCII, 2 to 4 for a well-formed sequence, 0 for anything else (a stray
// continuation byte, a truncated or overlong sequence, a surrogate, a code
// point beyond U+10FFFF).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at);

bool IsUtf8(std::string_view text);

}  // namespace halvoric
