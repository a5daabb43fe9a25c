// SPDX-License-Identifier: GPL-3.0-or-later
// Writes through the window's system-log path (TEventLogWriter on
// SyslogSystemLog) so that system_log_test.sh can read back what the system
// logger received.
#include <iostream>

#include "desktop/syslog_system_log.h"
#include "settings/event_log_writer.h"

int main() {
  halvoric::SyslogSystemLog systemLog;
  halvoric::TEventLogWriter writer(systemLog);
  writer.SetAppName("Tessivar");
  writer.WriteInformation("written before registration");
  if (const halvoric::Result<> registered = writer.RegisterSource(); !registered.Ok()) {
    std::cerr << registered.Message << '\n';
    return 1;
  }
  writer.WriteInformation("Halvoric Started !");
  writer.WriteInformation("CHANGED max temperature: 55\u00b0");
  writer.WriteInformation("load 100% %s %d %n");
  return 0;
}
