// SPDX-License-Identifier: GPL-3.0-or-later
// The emergency hibernation request: systemd-logind's Hibernate method on
// the system bus.
#pragma once

#include "services/hibernator.h"

namespace halvoric {

class LogindHibernator final : public Hibernator {
 public:
  Result<> Hibernate() override;
};

}  // namespace halvoric
