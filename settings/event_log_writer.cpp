// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/event_log_writer.h"

namespace halvoric {

TEventLogWriter::~TEventLogWriter() {
  if (enabled_) log_.Close();
}

void TEventLogWriter::SetAppName(const std::string& name) {
  appName_ = name.empty() ? PlaceholderName : name;
}

Result<> TEventLogWriter::RegisterSource() {
  enabled_ = log_.Open(appName_);
  if (!enabled_) return Failure{"Unable to register event source."};
  return Result<>::Done();
}

void TEventLogWriter::WriteInformation(const std::string& text) {
  if (enabled_) log_.WriteInformation(text);
}

}  // namespace halvoric
