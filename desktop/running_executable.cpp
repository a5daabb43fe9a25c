// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/running_executable.h"

namespace halvoric {

std::filesystem::path RunningExecutable() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

}  // namespace halvoric
