// SPDX-License-Identifier: GPL-3.0-or-later
// An open file descriptor that closes itself, so that no early return of a
// walk through folders leaks one.
#pragma once

#include <unistd.h>

#include <utility>

namespace halvoric {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Reset(-1); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  // Negative when the open failed.
  int Get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

}  // namespace halvoric
