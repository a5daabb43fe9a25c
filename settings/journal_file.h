// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the journal as a text file.
#pragma once

#include <QString>
#include <string>

#include "base/result.h"

namespace halvoric {

// Creates or truncates `path` and writes every line of `journal` followed by
// CR LF, UTF-8 without a byte-order mark; an empty journal gives an empty
// file.
Result<> WriteJournalFile(const std::string& path, const QString& journal);

}  // namespace halvoric
