// SPDX-License-Identifier: GPL-3.0-or-later
// Reads Source into a document.
#pragma once

#include "base/result.h"
#include "settings/xml_doc.h"

namespace halvoric {

// Rebuilds the root from doc.Source and records a syntax error in LastError.
// It fails only on an error in the declaration's attributes, which stops the
// load before any element is read.
Result<> ParseXml(TXmlDoc& doc);

}  // namespace halvoric
