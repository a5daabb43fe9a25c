// SPDX-License-Identifier: GPL-3.0-or-later
// The journal's mirror in the system log: a source registered once, then one
// informational record per journal line.
#pragma once

#include <string>

#include "base/result.h"
#include "services/system_log.h"

namespace halvoric {

class TEventLogWriter {
 public:
  static constexpr const char* PlaceholderName = "EventLogWriter";

  explicit TEventLogWriter(SystemLog& log) : log_(log) {}
  ~TEventLogWriter();
  TEventLogWriter(const TEventLogWriter&) = delete;
  TEventLogWriter& operator=(const TEventLogWriter&) = delete;

  const std::string& AppName() const { return appName_; }
  // An empty name falls back to the placeholder; takes effect at the next
  // registration.
  void SetAppName(const std::string& name);

  bool Enabled() const { return enabled_; }

  // Registers the source under AppName. When the system refuses, the writer
  // stays disabled.
  Result<> RegisterSource();

  // Does nothing until the source is registered.
  void WriteInformation(const std::string& text);

 private:
  SystemLog& log_;
  std::string appName_ = PlaceholderName;
  bool enabled_ = false;
};

}  // namespace halvoric
