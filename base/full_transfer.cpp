// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/full_transfer.h"

#include <cerrno>

namespace halvoric {

Transfer TransferFully(std::size_t size, const PartialTransfer& partial) {
  Transfer transfer;
  while (transfer.Moved < size) {
    const ssize_t n = partial(transfer.Moved, size - transfer.Moved);
    if (n < 0) {
      if (errno == EINTR) continue;
      transfer.Error = errno;
      break;
    }
    if (n == 0) {
      transfer.AtEnd = true;
      break;
    }
    transfer.Moved += static_cast<std::size_t>(n);
  }
  return transfer;
}

}  // namespace halvoric
