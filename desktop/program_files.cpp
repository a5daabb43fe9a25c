// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/program_files.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "base/descriptor.h"
#include "desktop/running_executable.h"

namespace halvoric {
namespace {

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool OwnedByRootOrUs(const struct stat& status) {
  return status.st_uid == 0 || status.st_uid == ::geteuid();
}

// Owned by root or this user, and writable by nobody else (a group of
// root's own aside).
bool OnlyOwnersCouldWrite(const struct stat& status) {
  if (!OwnedByRootOrUs(status) || (status.st_mode & S_IWOTH) != 0) return false;
  return (status.st_mode & S_IWGRP) == 0 || status.st_gid == 0;
}

bool OnlyOwnersCouldWrite(const std::filesystem::path& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && OnlyOwnersCouldWrite(status);
}

// Nobody but root or this user could put a file here or swap one: a sticky
// folder of theirs (as /tmp) lets others add files but not replace ours.
bool OnlyOwnersCouldReplaceIn(int folder) {
  struct stat status {};
  if (::fstat(folder, &status) != 0) return false;
  const bool sticky = (status.st_mode & S_ISVTX) != 0 && OwnedByRootOrUs(status);
  return sticky || OnlyOwnersCouldWrite(status);
}

const char* const kOthersCouldWrite =
    "it, or a folder above it, may be written by users other than root and you";

Failure LastSystemFailure() {
  return Failure{errno == ELOOP ? "it is a symbolic link" : std::generic_category().message(errno)};
}

// The folders from the root down, each opened in the one above without
// following a link; links on the way were resolved first, so that a link
// swapped in later is refused rather than followed.
Result<int> OpenTrusted(const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::canonical(file.parent_path(), error);
  if (error) return Failure{error.message()};
  Descriptor at(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (at.Get() < 0) return LastSystemFailure();
  if (!OnlyOwnersCouldReplaceIn(at.Get())) return Failure{kOthersCouldWrite};
  for (const std::filesystem::path& part : folder.relative_path()) {
    at.Reset(::openat(at.Get(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (at.Get() < 0) return LastSystemFailure();
    if (!OnlyOwnersCouldReplaceIn(at.Get())) return Failure{kOthersCouldWrite};
  }
  Descriptor opened(::openat(at.Get(), file.filename().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (opened.Get() < 0) return LastSystemFailure();
  struct stat status {};
  if (::fstat(opened.Get(), &status) != 0) return LastSystemFailure();
  if (!S_ISREG(status.st_mode)) return Failure{"it is not a file"};
  if (!OnlyOwnersCouldWrite(status)) return Failure{kOthersCouldWrite};
  return opened.Release();
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

Result<void*> LoadProgramLibrary(const std::filesystem::path& file, int flags) {
  Result<int> opened = OpenTrusted(file);
  if (!opened.Ok()) return Failure{std::move(opened.Message)};
  const std::string name = "/proc/self/fd/" + std::to_string(*opened);
  void* handle = ::dlopen(name.c_str(), flags);
  if (handle == nullptr) {
    const char* error = ::dlerror();
    ::close(*opened);
    return Failure{error != nullptr ? error : "unknown reason"};
  }
  // The descriptor stays open: the loader knows the library by this name,
  // and would take a later library given the same number for this one.
  return handle;
}

}  // namespace halvoric
