// Reads Source into a document.
#pragma once

#include <optional>
#include <string>

#include "settings/xml_doc.h"

namespace halvoric {

// Rebuilds the root from doc.Source and records a syntax error in LastError.
// The result is an error in the declaration's attributes, which stops the
// load before any element is read.
std::optional<std::string> ParseXml(TXmlDoc& doc);

}  // namespace halvoric
