// SPDX-License-Identifier: GPL-3.0-or-later
// The file of the program that is running, for entries that must start it
// again and for libraries that lie beside it.
#pragma once

#include <filesystem>

namespace halvoric {

// The absolute path; empty when the system cannot tell.
std::filesystem::path RunningExecutable();

}  // namespace halvoric
