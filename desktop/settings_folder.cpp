// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/settings_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace halvoric {

std::optional<std::filesystem::path> UserSettingsFolder(const char* xdgConfigHome,
                                                        const char* home) {
  const auto config = ConfigHome(xdgConfigHome, home);
  if (!config) return std::nullopt;
  return *config / "halvoric";
}

Result<> EnterSettingsFolder(const std::filesystem::path& folder) {
  const std::string named = "The settings folder \"" + folder.string() + "\" ";
  std::error_code error;
  if (folder.has_parent_path()) std::filesystem::create_directories(folder.parent_path(), error);
  if (!error && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = std::error_code(errno, std::generic_category());
  }
  if (error) return Failure{named + "cannot be made: " + error.message()};
  if (::chdir(folder.c_str()) != 0) {
    return Failure{named + "cannot be entered: " + std::strerror(errno)};
  }
  return Result<>::Done();
}

}  // namespace halvoric
