// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/syslog_system_log.h"

#include <syslog.h>

namespace halvoric {

SyslogSystemLog::~SyslogSystemLog() { Close(); }

bool SyslogSystemLog::Open(const std::string& source) {
  Close();
  ident_ = source;
  ::openlog(ident_.c_str(), LOG_PID, LOG_USER);
  open_ = true;
  return true;
}

void SyslogSystemLog::WriteInformation(const std::string& text) {
  if (open_) ::syslog(LOG_USER | LOG_INFO, "%s", text.c_str());
}

void SyslogSystemLog::Close() {
  if (!open_) return;
  ::closelog();
  open_ = false;
}

}  // namespace halvoric
