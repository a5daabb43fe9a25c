// The emergency hibernation request: systemd-logind's Hibernate method on
// the system bus.
#pragma once

#include "platform/alert_outcome.h"

namespace halvoric {

class Hibernator {
 public:
  virtual ~Hibernator() = default;
  // Asks the system to hibernate now. Success means the request was taken;
  // the machine goes down shortly afterwards.
  virtual AlertOutcome Hibernate() = 0;
};

class LogindHibernator final : public Hibernator {
 public:
  AlertOutcome Hibernate() override;
};

}  // namespace halvoric
