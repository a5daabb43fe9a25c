// SPDX-License-Identifier: GPL-3.0-or-later
// The popup alert: a message the user must answer before the watch goes on.
#pragma once

#include <string>

namespace halvoric {

class AlertPrompt {
 public:
  virtual ~AlertPrompt() = default;
  // Blocks until the user dismisses it.
  virtual void Alert(const std::string& text) = 0;
};

}  // namespace halvoric
