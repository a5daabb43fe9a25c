// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/staged_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <system_error>
#include <utility>

#include "base/descriptor.h"
#include "base/full_transfer.h"

namespace halvoric {
namespace {

Failure SystemFailure(int error) { return Failure{std::generic_category().message(error)}; }
Failure LastSystemFailure() { return SystemFailure(errno); }

// What each rule decides, in the order of LinkRule.
struct RuleTraits {
  bool FollowsOwnLinks;
  bool KeepsOwnerAndMode;
  int FolderFlags;
  mode_t CreationMode;
};
constexpr RuleTraits kTraits[] = {
    {true, true, 0, 0666},
    {false, false, O_NOFOLLOW, 0644},
};

// As many links as the kernel follows in one path.
constexpr int kMostLinks = 40;

struct Place {
  std::string Folder;
  std::string Name;
};

Place PlaceOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// A link is the user's own choice when they made it in a folder of theirs
// that nobody else may write; anyone else's may have been planted. An ACL
// that lets others write shows in the group bits, which hold its mask.
bool OwnPrivateLink(int folder, const struct stat& link) {
  const uid_t user = ::geteuid();
  struct stat info {};
  return link.st_uid == user && ::fstat(folder, &info) == 0 && info.st_uid == user &&
         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Where a link leads, relative links taken from its folder.
std::optional<std::string> LinkTarget(int folder, const Place& link) {
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlinkat(folder, link.Name.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return std::nullopt;
  target.resize(static_cast<std::size_t>(length));
  return target.starts_with('/') ? target : link.Folder + "/" + target;
}

// A name no other save uses at the same time, even one of another process.
int CreateUnique(int folder, const std::string& name, mode_t mode, std::string& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = name + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::openat(folder, temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

Result<> WriteAll(int fd, std::string_view bytes) {
  const auto write = [&](std::size_t offset, std::size_t count) {
    return ::write(fd, bytes.data() + offset, count);
  };
  const Transfer written = TransferFully(bytes.size(), write);
  if (written.Error != 0) return SystemFailure(written.Error);
  // A file takes a write of at least one byte or fails it; one that took
  // none would only be retried for ever.
  if (written.AtEnd) return SystemFailure(EIO);
  return Result<>::Done();
}

// A replaced file keeps the owner, group and permissions of the old one.
Result<> CopyOwnerAndMode(const struct stat& old, int fd) {
  struct stat fresh {};
  // Only root may give a file away; a user may still hand it to a group of
  // theirs. Where neither is allowed the file stays the writer's.
  if (::fstat(fd, &fresh) == 0 && (fresh.st_uid != old.st_uid || fresh.st_gid != old.st_gid)) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Kept in a variable: a (void) cast does not quiet the unused-result
      // warning that _FORTIFY_SOURCE turns on, and a failure changes nothing.
      [[maybe_unused]] const int groupKept = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
  }
  if (::fchmod(fd, old.st_mode & 07777) != 0) return LastSystemFailure();
  return Result<>::Done();
}

// The new content in a new file beside `name`, flushed; the file's name, or
// nothing left behind. It takes the owner and mode of `old` where given.
Result<std::string> WriteTemporary(int folder, const std::string& name, const RuleTraits& traits,
                                   const struct stat* old, std::string_view bytes) {
  std::string temporary;
  const int fd = CreateUnique(folder, name, traits.CreationMode, temporary);
  if (fd < 0) return LastSystemFailure();
  Result<> written;
  if (old != nullptr) {
    written = CopyOwnerAndMode(*old, fd);
  } else if (!traits.KeepsOwnerAndMode && ::fchmod(fd, traits.CreationMode) != 0) {
    // Set again: the umask of whoever ran the save must not hide the file
    // from its readers.
    written = LastSystemFailure();
  }
  if (written.Ok()) written = WriteAll(fd, bytes);
  if (written.Ok() && ::fsync(fd) != 0) written = LastSystemFailure();
  if (::close(fd) != 0 && written.Ok()) written = LastSystemFailure();
  if (!written.Ok()) {
    ::unlinkat(folder, temporary.c_str(), 0);
    return Failure{std::move(written.Message)};
  }
  return temporary;
}

bool NamesAFile(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

}  // namespace

Result<StagedFile> StagedFile::Stage(const std::string& target, std::string_view bytes,
                                     LinkRule rule) {
  const RuleTraits& traits = kTraits[static_cast<int>(rule)];
  Place place = PlaceOf(target);
  for (int hop = 0;; ++hop) {
    if (!NamesAFile(place.Name)) return SystemFailure(EISDIR);
    Descriptor folder(
        ::open(place.Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | traits.FolderFlags));
    if (folder.Get() < 0) {
      const int error = errno;
      struct stat link {};
      if ((traits.FolderFlags & O_NOFOLLOW) && ::lstat(place.Folder.c_str(), &link) == 0 &&
          S_ISLNK(link.st_mode)) {
        return Failure{"its folder is a symbolic link, which is not followed here"};
      }
      return SystemFailure(error);
    }
    struct stat old {};
    const bool exists = ::fstatat(folder.Get(), place.Name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && S_ISLNK(old.st_mode) && traits.FollowsOwnLinks && hop < kMostLinks &&
        OwnPrivateLink(folder.Get(), old)) {
      if (std::optional<std::string> next = LinkTarget(folder.Get(), place)) {
        place = PlaceOf(*next);
        continue;
      }
    }

    const bool keep = traits.KeepsOwnerAndMode && exists && S_ISREG(old.st_mode);
    Result<std::string> temporary =
        WriteTemporary(folder.Get(), place.Name, traits, keep ? &old : nullptr, bytes);
    if (!temporary.Ok()) return Failure{std::move(temporary.Message)};
    return StagedFile(folder.Release(), std::move(place.Folder), std::move(place.Name),
                      std::move(*temporary));
  }
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : folder_(std::exchange(other.folder_, -1)),
      folderPath_(std::move(other.folderPath_)),
      name_(std::move(other.name_)),
      temporary_(std::exchange(other.temporary_, std::string())) {}

StagedFile::~StagedFile() {
  if (!temporary_.empty()) ::unlinkat(folder_, temporary_.c_str(), 0);
  if (folder_ >= 0) ::close(folder_);
}

Result<> StagedFile::Commit() {
  // Within the folder opened at the stage: whatever the name holds now, a
  // link included, is replaced, never followed.
  if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) {
    return LastSystemFailure();
  }
  temporary_.clear();
  // Makes the rename itself durable. The new file is in place either way, so
  // a failure here is not reported as a failed save.
  ::fsync(folder_);
  return Result<>::Done();
}

Result<> ReplaceFile(const std::string& target, std::string_view bytes, LinkRule rule) {
  Result<StagedFile> staged = StagedFile::Stage(target, bytes, rule);
  if (!staged.Ok()) return Failure{std::move(staged.Message)};
  return staged->Commit();
}

}  // namespace halvoric
