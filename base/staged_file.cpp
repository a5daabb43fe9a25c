#include "base/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>
#include <utility>

#include "base/full_transfer.h"

namespace halvoric {
namespace {

Failure SystemFailure(int error) { return Failure{std::generic_category().message(error)}; }
Failure LastSystemFailure() { return SystemFailure(errno); }

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A name no other save uses at the same time, even one of another process.
int CreateUnique(const std::string& target, std::string& path) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
Result<> CopyOwnerAndMode(const std::string& from, int fd) {
  struct stat old {};
  if (::stat(from.c_str(), &old) != 0) return Result<>::Done();
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

// The file a path names after following its symbolic links: a settings file
// kept elsewhere and linked into place is replaced where it is, and the link
// stays a link.
std::string FollowLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    std::string target(static_cast<std::size_t>(link.st_size) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) return path;
    target.resize(static_cast<std::size_t>(length));
    path = target.starts_with('/') ? target : DirectoryOf(path) + "/" + target;
  }
  return path;
}

}  // namespace

Result<StagedFile> StagedFile::Stage(const std::string& name, std::string_view bytes) {
  const std::string target = FollowLinks(name);
  std::string temporary;
  const int fd = CreateUnique(target, temporary);
  if (fd < 0) return LastSystemFailure();
  Result<> written = CopyOwnerAndMode(target, fd);
  if (written.Ok()) written = WriteAll(fd, bytes);
  if (written.Ok() && ::fsync(fd) != 0) written = LastSystemFailure();
  if (::close(fd) != 0 && written.Ok()) written = LastSystemFailure();
  if (!written.Ok()) {
    ::unlink(temporary.c_str());
    return Failure{std::move(written.Message)};
  }
  return StagedFile(target, std::move(temporary));
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, std::string())) {}

StagedFile::~StagedFile() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

Result<> StagedFile::Commit() {
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return LastSystemFailure();
  temporary_.clear();
  // Makes the rename itself durable. The new file is in place either way, so
  // a failure here is not reported as a failed save.
  const int dir = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return Result<>::Done();
}

Result<> ReplaceFile(const std::string& target, std::string_view bytes) {
  Result<StagedFile> staged = StagedFile::Stage(target, bytes);
  if (!staged.Ok()) return Failure{std::move(staged.Message)};
  return staged->Commit();
}

}  // namespace halvoric
