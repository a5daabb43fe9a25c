#include "desktop/program_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include "desktop/running_executable.h"

namespace halvoric {
namespace {

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// Owned by root or this user, and writable by nobody else (a group of
// root's own aside).
bool OnlyOwnersCouldWrite(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  if (status.st_uid != 0 && status.st_uid != ::geteuid()) return false;
  if ((status.st_mode & S_IWOTH) != 0) return false;
  return (status.st_mode & S_IWGRP) == 0 || status.st_gid == 0;
}

// The file and every folder from the programs' parent folder down to it.
bool Trusted(const std::filesystem::path& programDir, std::string_view installedFolder,
             const std::filesystem::path& file) {
  std::filesystem::path path = (programDir / "..").lexically_normal();
  for (const std::filesystem::path& part : std::filesystem::path(installedFolder)) {
    if (part == "..") continue;
    path /= part;
    if (!OnlyOwnersCouldWrite(path)) return false;
  }
  return OnlyOwnersCouldWrite(file);
}

}  // namespace

std::filesystem::path ProgramFile(const std::filesystem::path& programDir,
                                  std::string_view installedFolder, std::string_view name) {
  if (programDir.empty()) return name;
  const std::filesystem::path beside = programDir / name;
  if (IsFile(beside)) return beside;
  const std::filesystem::path installed = (programDir / installedFolder / name).lexically_normal();
  if (IsFile(installed) && !Trusted(programDir, installedFolder, installed)) return beside;
  return installed;
}

std::filesystem::path ProgramFileOfRunningExecutable(std::string_view installedFolder,
                                                     std::string_view name) {
  return ProgramFile(RunningExecutable().parent_path(), installedFolder, name);
}

}  // namespace halvoric
