// SPDX-License-Identifier: GPL-3.0-or-later
// Moving a whole buffer through a call that may move only part of it at a
// time (read, write, send, recv), calling it again where a signal cut it
// short.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>

namespace halvoric {

// How a transfer ended.
struct Transfer {
  std::size_t Moved = 0;  // bytes moved, in order from the start
  bool AtEnd = false;     // a call moved nothing: end of input, or no room
  int Error = 0;          // errno of the call that failed, else 0

  bool Complete() const { return !AtEnd && Error == 0; }
};

// Moves `count` bytes starting at `offset` into or out of the caller's
// buffer, as read(2) does: the number moved, 0 for nothing, -1 and errno.
using PartialTransfer = std::function<ssize_t(std::size_t offset, std::size_t count)>;

// Calls `partial` until `size` bytes are moved, a call moves nothing, or a
// call fails with anything but EINTR.
Transfer TransferFully(std::size_t size, const PartialTransfer& partial);

}  // namespace halvoric
