// SPDX-License-Identifier: GPL-3.0-or-later
// Where the drive database is found and its files read.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/result.h"
#include "drive/drive_database.h"

namespace halvoric {

// The files searched, first to last: local additions, the updates, the
// packaged file. HALVORIC_DRIVEDB, when set, replaces them with its own
// colon-separated list; set empty, it turns the database off.
std::vector<std::string> DriveDatabasePaths();

// Every file of `paths` that can be read, in order; entries of an earlier
// file are searched first. Null when none could be read.
std::shared_ptr<const DriveDatabase> LoadDriveDatabase(const std::vector<std::string>& paths);

// What the window keeps of the database for its drives, beside its settings.
inline constexpr char kKeptDriveDatabaseFileName[] = "drivedb-kept.h";

// The database for a start: the few entries `kept` holds, when it was made
// from the files of `paths` as they are now and parses whole; it covers
// only the drives it names (DriveDatabase::Covers). Else every file, as
// above. Parsing some 6,000 lines at every start would cost more than the
// rest of the window's making on the drives' thread.
std::shared_ptr<const DriveDatabase> LoadDriveDatabase(const std::vector<std::string>& paths,
                                                       const std::string& kept);

// Writes to `kept` the defaults of the whole `database` and the entries
// that `drives` (by "MODEL\nFIRMWARE"; null for none) matched, in the files'
// own syntax and order. Nothing is written when a file changed since it
// was read.
Result<> KeepDriveDatabase(const std::string& kept, const DriveDatabase& database,
                           const std::map<std::string, const DriveEntry*>& drives);

}  // namespace halvoric
