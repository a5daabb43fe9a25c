// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_database_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <tuple>

#include "base/hex_text.h"
#include "base/staged_file.h"
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

namespace {

constexpr std::string_view kFileLine = "// file ";
constexpr std::string_view kDriveLine = "// drive ";

// One line per file: its size and change time, or "-" when it is not there.
// Taken before the files are read, so that a change while they are read
// leaves a stamp that no longer fits.
std::string FileStamps(const std::vector<std::string>& paths) {
  std::string stamps;
  for (const std::string& path : paths) {
    struct stat status {};
    stamps += kFileLine;
    if (::stat(path.c_str(), &status) == 0) {
      stamps += std::to_string(status.st_size) + " " + std::to_string(status.st_mtim.tv_sec) + "." +
                std::to_string(status.st_mtim.tv_nsec);
    } else {
      stamps += "-";
    }
    stamps += " " + path + "\n";
  }
  return stamps;
}

// The kept entries when their stamps are those of the files now; the
// header's lines name the files and the drives.
std::shared_ptr<DriveDatabase> ReadKept(const std::vector<std::string>& paths,
                                        const std::string& kept) {
  Result<std::string> text = ReadWholeFile(kept);
  if (!text.Ok()) return nullptr;
  std::string stamps;
  std::set<std::string> covers;
  for (std::size_t at = 0; at < text->size();) {
    const std::size_t end = std::min(text->find('\n', at), text->size());
    const std::string_view line = std::string_view(*text).substr(at, end - at);
    at = end + 1;
    if (line.starts_with(kFileLine)) {
      stamps += std::string(line) + "\n";
    } else if (line.starts_with(kDriveLine)) {
      std::optional<std::string> drive = BytesOfHex(line.substr(kDriveLine.size()));
      if (!drive) return nullptr;
      covers.insert(std::move(*drive));
    }
  }
  if (stamps.empty() || stamps != FileStamps(paths)) return nullptr;
  auto database = std::make_shared<DriveDatabase>();
  ParseDriveDatabase(*text, kept, *database);
  if (!database->Skipped.empty()) return nullptr;
  database->Covers = std::move(covers);
  database->Paths = paths;
  return database;
}

}  // namespace

std::shared_ptr<const DriveDatabase> LoadDriveDatabase(const std::vector<std::string>& paths) {
  auto database = std::make_shared<DriveDatabase>();
  database->Paths = paths;
  database->Stamps = FileStamps(paths);
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

std::shared_ptr<const DriveDatabase> LoadDriveDatabase(const std::vector<std::string>& paths,
                                                       const std::string& kept) {
  if (std::shared_ptr<DriveDatabase> database = ReadKept(paths, kept)) return database;
  return LoadDriveDatabase(paths);
}

Result<> KeepDriveDatabase(const std::string& kept, const DriveDatabase& database,
                           const std::map<std::string, const DriveEntry*>& drives) {
  if (database.Covers || database.Stamps.empty()) return Failure{"not a whole database"};
  if (FileStamps(database.Paths) != database.Stamps) return Failure{"a file changed"};
  for (const std::string& path : database.Paths) {
    if (path.find('\n') != std::string::npos) return Failure{"a file's name holds a line break"};
  }
  std::vector<EntrySource> sources = database.DefaultSources;
  std::string header;
  for (const auto& [drive, entry] : drives) {
    header += std::string(kDriveLine) + HexOf(drive) + "\n";
    if (entry != nullptr) sources.push_back(entry->Source);
  }
  // In the files' order, each once: the first match and the defaults'
  // precedence stay as they were.
  const auto order = [](const EntrySource& a, const EntrySource& b) {
    return std::tie(a.File, a.Begin) < std::tie(b.File, b.Begin);
  };
  std::sort(sources.begin(), sources.end(), order);
  sources.erase(std::unique(sources.begin(), sources.end(),
                            [](const EntrySource& a, const EntrySource& b) {
                              return a.File == b.File && a.Begin == b.Begin;
                            }),
                sources.end());
  std::vector<std::optional<std::string>> texts(database.Files.size());
  std::string body;
  for (const EntrySource& source : sources) {
    if (source.File >= texts.size()) return Failure{"an entry of no file"};
    std::optional<std::string>& text = texts[source.File];
    if (!text) {
      Result<std::string> read = ReadWholeFile(database.Files[source.File]);
      if (!read.Ok()) return Failure{read.Message};
      text = std::move(*read);
    }
    if (source.Begin >= source.End || source.End > text->size()) {
      return Failure{"an entry beyond its file"};
    }
    body += text->substr(source.Begin, source.End - source.Begin) + ",\n";
  }
  const std::string bytes =
      "// What Halvoric keeps of the drive database for this machine's drives,\n"
      "// read instead of the files below while they stay as they are. Safe to\n"
      "// delete: it is made again at the next start.\n" +
      database.Stamps + header + body;
  Result<StagedFile> staged = StagedFile::Stage(kept, bytes);
  if (!staged.Ok()) return Failure{staged.Message};
  return staged->Commit();
}

}  // namespace halvoric
