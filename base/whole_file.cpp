// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace halvoric {
namespace {

Failure LastSystemFailure() { return Failure{std::generic_category().message(errno)}; }

}  // namespace

Result<std::string> ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return LastSystemFailure();
  std::string bytes;
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0) {
      bytes.append(chunk, static_cast<std::size_t>(got));
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      Failure failure = LastSystemFailure();
      ::close(fd);
      return failure;
    }
  }
  ::close(fd);
  return bytes;
}

}  // namespace halvoric
