// SPDX-License-Identifier: GPL-3.0-or-later
// The privileged helper's rights as the capabilities of its own process:
// permitted from the file, in force only around the call that needs one.
#pragma once

#include <functional>
#include <string>

#include "disks/capabilities.h"
#include "disks/rights_around_calls.h"

namespace halvoric {

// The capability each privileged call needs.
CapabilityMask CapabilityFor(PrivilegedCall call);

// The capability every command to `opened` needs; none for no drive.
CapabilityMask CapabilityFor(OpenedDrive opened);

class HelperCapabilities final : public RightsAroundCalls {
 public:
  // `fail` gets the reason a change failed and is expected to end the
  // process: a right left in force, or a permitted one left that should be
  // gone, is worse than no answer. The rights the process holds now are
  // those it was given: a call whose right it was never given runs without
  // it and fails as the kernel decides (a user in the disk group may open
  // the node all the same).
  explicit HelperCapabilities(std::function<void(const std::string&)> fail);

  void Raise(PrivilegedCall call) override;
  void Lower() override;
  void KeepOnlyFor(OpenedDrive opened) override;

 private:
  void Check(const Result<>& changed);

  std::function<void(const std::string&)> fail_;
  CapabilityMask given_;
};

}  // namespace halvoric
