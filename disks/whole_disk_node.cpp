// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/whole_disk_node.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <optional>
#include <system_error>

#include "base/whole_file.h"
#include "disks/open_error_kind.h"
#include "disks/whole_disks.h"

namespace halvoric {
namespace {

// "MAJOR:MINOR\n" as the kernel writes block/NAME/dev.
std::optional<dev_t> ReadDeviceNumber(const std::filesystem::path& file) {
  const Result<std::string> read = ReadWholeFile(file);
  if (!read.Ok()) return std::nullopt;
  const std::string text = read->substr(0, read->find('\n'));
  unsigned major = 0;
  unsigned minor = 0;
  const char* end = text.data() + text.size();
  auto [colon, error] = std::from_chars(text.data(), end, major);
  if (error != std::errc() || colon == end || *colon != ':') return std::nullopt;
  auto [last, error2] = std::from_chars(colon + 1, end, minor);
  if (error2 != std::errc() || last != end) return std::nullopt;
  return makedev(major, minor);
}

OpenResult Refuse(std::string why) { return {OpenError::Other, std::move(why)}; }

OpenResult SystemFailure(const std::filesystem::path& path, int error) {
  return {OpenErrorFromErrno(error), path.string() + ": " + std::generic_category().message(error)};
}

}  // namespace

OpenResult OpenWholeDiskNode(const std::filesystem::path& sysfsRoot,
                             const std::filesystem::path& devRoot, const std::string& name,
                             RightsAroundCalls& rights) {
  const std::optional<dev_t> expected = ReadDeviceNumber(sysfsRoot / "block" / name / "dev");
  if (!expected) return Refuse(name + ": the kernel lists no device number");

  const std::filesystem::path path = devRoot / name;
  struct stat before {};
  if (::lstat(path.c_str(), &before) != 0) return SystemFailure(path, errno);
  if (!S_ISBLK(before.st_mode)) return Refuse(path.string() + " is not a block device");
  if (before.st_rdev != *expected) {
    return Refuse(path.string() + " is not the whole disk " + name +
                  " (a partition or another device)");
  }

  int fd = -1;
  int openError = 0;
  {
    const RaisedRight canOpen(rights, PrivilegedCall::OpenNode);
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    openError = errno;  // lowering the right may change it
  }
  if (fd < 0) return SystemFailure(path, openError);
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !S_ISBLK(opened.st_mode) || opened.st_rdev != *expected) {
    ::close(fd);
    return Refuse(path.string() + " changed while it was opened");
  }
  return DeviceHandle{fd};
}

}  // namespace halvoric
