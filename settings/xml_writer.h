// SPDX-License-Identifier: GPL-3.0-or-later
// Turns a document into its text.
#pragma once

#include <cstddef>
#include <limits>
#include <string>

#include "settings/xml_doc.h"

namespace halvoric {

// The text of `doc`, cut after `limit` bytes. The cut bounds the partial tree
// quoted in a syntax error: nesting indents every line, so the text of a
// deeply nested file grows with the square of its depth.
std::string WriteXml(const TXmlDoc& doc,
                     std::size_t limit = std::numeric_limits<std::size_t>::max());

}  // namespace halvoric
