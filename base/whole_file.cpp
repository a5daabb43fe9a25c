#include "base/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace halvoric {

FileContent ReadWholeFile(const std::string& path) {
  FileContent content;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    content.error.assign(errno, std::generic_category());
    return content;
  }
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0) {
      content.bytes.append(chunk, static_cast<std::size_t>(got));
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      content.error.assign(errno, std::generic_category());
      content.bytes.clear();
      break;
    }
  }
  ::close(fd);
  return content;
}

}  // namespace halvoric
