// SPDX-License-Identifier: GPL-3.0-or-later
// The emergency hibernation request.
#pragma once

#include "base/result.h"

namespace halvoric {

class Hibernator {
 public:
  virtual ~Hibernator() = default;
  // Asks the system to hibernate now. Success means the request was taken;
  // the machine goes down shortly afterwards.
  virtual Result<> Hibernate() = 0;
};

}  // namespace halvoric
