// SPDX-License-Identifier: GPL-3.0-or-later
// The text of the XDG autostart entry that starts the program at logon.
#pragma once

#include <string>
#include <string_view>

#include "base/result.h"

namespace halvoric {

// The Exec value that runs `executable` with no arguments: the path in double
// quotes with ", `, $ and \ escaped, then the key file's own escaping of \,
// and % doubled so that it is no field code.
std::string QuotedExecValue(std::string_view executable);

// The whole desktop entry; fails, saying why, for paths that a key file
// cannot hold (line breaks, bytes that are not UTF-8). A non-empty
// `workingDirectory` becomes the entry's Path, the folder the program starts
// in at logon.
Result<std::string> AutostartEntryText(std::string_view executable,
                                       std::string_view workingDirectory = {});

}  // namespace halvoric
