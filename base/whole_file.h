// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a file at once.
#pragma once

#include <string>

#include "base/result.h"

namespace halvoric {

// The file's bytes; when it cannot be read whole, the system's reason.
Result<std::string> ReadWholeFile(const std::string& path);

}  // namespace halvoric
