// SPDX-License-Identifier: GPL-3.0-or-later
// The system log through syslog(3): facility user, informational records.
#pragma once

#include <string>

#include "services/system_log.h"

namespace halvoric {

class SyslogSystemLog final : public SystemLog {
 public:
  ~SyslogSystemLog() override;
  bool Open(const std::string& source) override;
  void WriteInformation(const std::string& text) override;
  void Close() override;

 private:
  std::string ident_;  // openlog keeps the pointer, so the text lives here
  bool open_ = false;
};

}  // namespace halvoric
