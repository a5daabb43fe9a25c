// SPDX-License-Identifier: GPL-3.0-or-later
// Where the user's configuration lives, and the folder the program keeps its
// settings in when it is started from the desktop's menu or at logon: a
// desktop entry cannot name $XDG_CONFIG_HOME, so the program finds it.
#pragma once

#include <filesystem>
#include <optional>

#include "base/config_home.h"
#include "base/result.h"

namespace halvoric {

// The user's settings folder: halvoric in the config home.
std::optional<std::filesystem::path> UserSettingsFolder(const char* xdgConfigHome,
                                                        const char* home);

// Makes `folder` when it is missing (the last part private to the user,
// mode 0700) and makes it the current directory, where config.xml is read
// and written. Fails, saying why, without changing the current directory.
Result<> EnterSettingsFolder(const std::filesystem::path& folder);

}  // namespace halvoric
