// SPDX-License-Identifier: GPL-3.0-or-later
// The system log that the journal mirrors its lines to.
#pragma once

#include <string>

namespace halvoric {

class SystemLog {
 public:
  virtual ~SystemLog() = default;
  // Starts logging under `source`; false when the system refuses.
  virtual bool Open(const std::string& source) = 0;
  virtual void WriteInformation(const std::string& text) = 0;
  virtual void Close() = 0;
};

}  // namespace halvoric
