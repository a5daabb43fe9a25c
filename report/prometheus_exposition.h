// SPDX-License-Identifier: GPL-3.0-or-later
// The text exposition format's families, written one at a time, and what
// the smartctl_exporter families and our own share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "report/prometheus_text.h"

namespace halvoric::exposition {

using Labels = std::vector<std::pair<std::string, std::string>>;

class Exposition {
 public:
  // One family: its header, then whatever samples `samples` adds.
  void Family(const char* name, const char* help, const char* type,
              const std::function<void()>& samples);
  void Sample(const Labels& labels, const std::string& value);
  std::string Take() { return std::move(text_); }

 private:
  std::string name_;
  std::string text_;
};

// Every drive in turn.
using EachDrive = std::function<void(const std::function<void(const LabelledRecord&)>&)>;

inline std::string Number(std::int64_t value) { return std::to_string(value); }
inline std::string Number(std::uint64_t value) { return std::to_string(value); }

// Opened, awake and with its attribute table read.
bool TableRead(const LabelledRecord& drive);
// Opened and not left asleep: IDENTIFY was asked.
bool Awake(const LabelledRecord& drive);

void AddSmartctlFamilies(Exposition& out, const EachDrive& each, std::size_t count);
void AddHalvoricFamilies(Exposition& out, const EachDrive& each);

}  // namespace halvoric::exposition
