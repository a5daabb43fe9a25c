// SPDX-License-Identifier: GPL-3.0-or-later
// Modal messages titled with the application's name.
#pragma once

#include <string>

namespace halvoric {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // An operation failed; the text says why.
  virtual void ShowError(const std::string& text) = 0;
  // A plain notice with an OK button, e.g. refused input.
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace halvoric
