#include "base/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "base/full_transfer.h"

namespace halvoric {
namespace {

std::error_code LastSystemError() { return {errno, std::generic_category()}; }

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

std::error_code WriteAll(int fd, std::string_view bytes) {
  const auto write = [&](std::size_t offset, std::size_t count) {
    return ::write(fd, bytes.data() + offset, count);
  };
  const Transfer written = TransferFully(bytes.size(), write);
  if (written.Error != 0) return {written.Error, std::generic_category()};
  // A file takes a write of at least one byte or fails it; one that took
  // none would only be retried for ever.
  if (written.AtEnd) return std::make_error_code(std::errc::io_error);
  return {};
}

// A replaced file keeps the permissions the user gave the old one.
std::error_code CopyMode(const std::string& from, int fd) {
  struct stat old {};
  if (::stat(from.c_str(), &old) != 0) return {};
  if (::fchmod(fd, old.st_mode & 07777) != 0) return LastSystemError();
  return {};
}

}  // namespace

StagedFile StagedFile::Stage(const std::string& target, std::string_view bytes) {
  StagedFile staged(target);
  const int fd = CreateUnique(target, staged.temporary_);
  if (fd < 0) {
    staged.error_ = LastSystemError();
    staged.temporary_.clear();
    return staged;
  }
  staged.error_ = CopyMode(target, fd);
  if (!staged.error_) staged.error_ = WriteAll(fd, bytes);
  if (!staged.error_ && ::fsync(fd) != 0) staged.error_ = LastSystemError();
  if (::close(fd) != 0 && !staged.error_) staged.error_ = LastSystemError();
  if (staged.error_) {
    ::unlink(staged.temporary_.c_str());
    staged.temporary_.clear();
  }
  return staged;
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, std::string())),
      error_(other.error_) {}

StagedFile::~StagedFile() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

std::error_code StagedFile::Commit() {
  if (error_) return error_;
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return LastSystemError();
  temporary_.clear();
  // Makes the rename itself durable. The new file is in place either way, so
  // a failure here is not reported as a failed save.
  const int dir = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

std::error_code ReplaceFile(const std::string& target, std::string_view bytes) {
  return StagedFile::Stage(target, bytes).Commit();
}

}  // namespace halvoric
