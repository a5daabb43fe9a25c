// SPDX-License-Identifier: GPL-3.0-or-later
// Where the drive database is found and its files read.
#pragma once

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "drive/drive_database.h"

namespace halvoric {

// The files searched, first to last: local additions, the updates, the
// packaged file. HALVORIC_DRIVEDB, when set, replaces them with its own
// colon-separated list; set empty, it turns the database off.
std::vector<std::string> DriveDatabasePaths();

// Every file of `paths` that can be read, in order; entries of an earlier
// file are searched first. Null when none could be read.
std::shared_ptr<const DriveDatabase> LoadDriveDatabase(const std::vector<std::string>& paths);

// The same on a thread of its own, begun at once, so that the parse overlaps
// whatever the caller does meanwhile.
using DatabaseLoading = std::shared_future<std::shared_ptr<const DriveDatabase>>;
DatabaseLoading LoadDriveDatabaseMeanwhile(std::vector<std::string> paths);

}  // namespace halvoric
