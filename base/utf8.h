// SPDX-License-Identifier: GPL-3.0-or-later
// Which bytes of a text are UTF-8. A drive's strings and the settings' texts
// are bytes that need not be, and whatever passes them on to a stricter
// reader (a JSON parser, a desktop entry) must tell.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace halvoric {

// The length of the valid UTF-8 sequence that starts at `text[at]`: 1 for
// ASCII, 2 to 4 for a well-formed sequence, 0 for anything else (a stray
// continuation byte, a truncated or overlong sequence, a surrogate, a code
// point beyond U+10FFFF).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at);

bool IsUtf8(std::string_view text);

// The code point of the valid sequence of `length` bytes at `text[at]`, as
// Utf8SequenceAt measured it.
char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length);

// Characters that steer how the text around them is shown instead of showing
// themselves: C0 and C1 controls and DEL (a terminal takes U+009B as the
// start of a command), the line and paragraph separators, and the
// bidirectional marks, embeddings, overrides and isolates, which reorder a
// line so that it reads as something else.
bool IsSteeringCharacter(char32_t c);

// The text as people may safely see it: each steering character and each
// byte that is not UTF-8 shows as '?'. With `keepLineBreaks`, CR and LF stay,
// for texts whose lines the caller breaks itself.
std::string PrintableText(std::string_view text, bool keepLineBreaks = false);

}  // namespace halvoric
