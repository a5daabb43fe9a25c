// SPDX-License-Identifier: GPL-3.0-or-later
// The user's configuration folder, where the settings, the start-at-logon
// entry and the mail configuration live. Header-only: the mail library
// takes it without linking the rest of base/.
#pragma once

#include <filesystem>
#include <optional>

namespace halvoric {

// $XDG_CONFIG_HOME, else $HOME/.config; nothing when neither variable gives
// an absolute folder. Null arguments are unset ones.
inline std::optional<std::filesystem::path> ConfigHome(const char* xdgConfigHome,
                                                       const char* home) {
  const auto absolute = [](const char* value) { return value != nullptr && value[0] == '/'; };
  if (absolute(xdgConfigHome)) return std::filesystem::path(xdgConfigHome);
  if (absolute(home)) return std::filesystem::path(home) / ".config";
  return std::nullopt;
}

}  // namespace halvoric
