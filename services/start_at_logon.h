// SPDX-License-Identifier: GPL-3.0-or-later
// Start at logon: an entry that makes the desktop start the program when the
// user logs on.
#pragma once

#include "base/result.h"

namespace halvoric {

class StartAtLogon {
 public:
  virtual ~StartAtLogon() = default;
  // Writes the entry, replacing an earlier one.
  virtual Result<> Enable() = 0;
  // Removes the entry; an entry that is not there is no failure.
  virtual Result<> Disable() = 0;
};

}  // namespace halvoric
