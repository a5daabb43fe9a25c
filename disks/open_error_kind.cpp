// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/open_error_kind.h"

#include <cerrno>

namespace halvoric {

OpenError OpenErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return OpenError::NotFound;
    case EACCES:
    case EPERM:
      return OpenError::PermissionDenied;
    default:
      return OpenError::Other;
  }
}

}  // namespace halvoric
