// SPDX-License-Identifier: GPL-3.0-or-later
#include "helper/helper_capabilities.h"

#include <linux/capability.h>

#include <utility>

namespace halvoric {

CapabilityMask CapabilityFor(PrivilegedCall call) {
  switch (call) {
    case PrivilegedCall::OpenNode:
      return CapabilityBit(CAP_DAC_READ_SEARCH);
    case PrivilegedCall::AtaCommand:
      return CapabilityBit(CAP_SYS_RAWIO);
    case PrivilegedCall::NvmeCommand:
      return CapabilityBit(CAP_SYS_ADMIN);
  }
  return 0;
}

CapabilityMask CapabilityFor(OpenedDrive opened) {
  switch (opened) {
    case OpenedDrive::Ata:
      return CapabilityFor(PrivilegedCall::AtaCommand);
    case OpenedDrive::Nvme:
      return CapabilityFor(PrivilegedCall::NvmeCommand);
    case OpenedDrive::None:
      break;
  }
  return 0;
}

HelperCapabilities::HelperCapabilities(std::function<void(const std::string&)> fail)
    : fail_(std::move(fail)), given_(PermittedCapabilities()) {}

// A right given and since given up for good is still asked for, so that a
// raise after the open fails loudly.
void HelperCapabilities::Raise(PrivilegedCall call) {
  Check(PutInForce(CapabilityFor(call) & given_));
}

void HelperCapabilities::Lower() { Check(PutInForce(0)); }

void HelperCapabilities::KeepOnlyFor(OpenedDrive opened) {
  Check(KeepOnlyCapabilities(CapabilityFor(opened), 0));
}

void HelperCapabilities::Check(const Result<>& changed) {
  if (!changed.Ok()) fail_(changed.Message);
}

}  // namespace halvoric
