// SPDX-License-Identifier: GPL-3.0-or-later
// Sinks that keep every row they receive, for assertions.
#pragma once

#include <string>
#include <vector>

#include "drive/collecting_sinks.h"

namespace halvoric::test {

struct RecordingSinks : CollectingSinks {
  std::vector<std::string> DiskInfoCaptions() const {
    std::vector<std::string> captions;
    for (const auto& row : diskInfo) captions.push_back(row.Caption);
    return captions;
  }
  std::string DiskInfoValue(const std::string& caption) const {
    for (const auto& row : diskInfo) {
      if (row.Caption == caption) return row.Value.value_or("<none>");
    }
    return "<missing>";
  }
};

}  // namespace halvoric::test
