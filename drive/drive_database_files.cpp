// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_database_files.h"

#include <algorithm>
#include <cstdlib>

#include "base/whole_file.h"

namespace halvoric {

std::vector<std::string> DriveDatabasePaths() {
  const char* chosen = std::getenv("HALVORIC_DRIVEDB");
  if (chosen == nullptr) {
    return {"/etc/smart_drivedb.h", "/var/lib/smartmontools/drivedb/drivedb.h",
            "/usr/share/smartmontools/drivedb.h"};
  }
  std::vector<std::string> paths;
  const std::string list = chosen;
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t end = list.find(':', at);
    const std::string path = list.substr(at, end == std::string::npos ? end : end - at);
    if (!path.empty()) paths.push_back(path);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return paths;
}

std::shared_ptr<const DriveDatabase> LoadDriveDatabase(const std::vector<std::string>& paths) {
  auto database = std::make_shared<DriveDatabase>();
  std::vector<std::string> read;
  for (const std::string& path : paths) {
    // A file that is not there is the usual case: most systems have no
    // local additions.
    Result<std::string> text = ReadWholeFile(path);
    if (!text.Ok()) continue;
    // The updates often equal the packaged file: its entries behind the
    // same ones would never match first, and would double the load.
    if (std::find(read.begin(), read.end(), *text) != read.end()) continue;
    ParseDriveDatabase(*text, path, *database);
    read.push_back(std::move(*text));
  }
  if (read.empty()) return nullptr;
  return database;
}

DatabaseLoading LoadDriveDatabaseMeanwhile(std::vector<std::string> paths) {
  return std::async(std::launch::async,
                    [paths = std::move(paths)] { return LoadDriveDatabase(paths); })
      .share();
}

}  // namespace halvoric
