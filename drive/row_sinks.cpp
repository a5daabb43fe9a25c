// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/row_sinks.h"

namespace halvoric {

const char* StatusText(Status status) {
  switch (status) {
    case Status::Ok:
      return "OK";
    case Status::Bad:
      return "BAD";
    case Status::Warn:
      return "WARN";
    case Status::Unknown:
      return "N/A";
  }
  return "N/A";
}

}  // namespace halvoric
