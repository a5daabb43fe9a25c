// SPDX-License-Identifier: GPL-3.0-or-later
// The few capability operations the program and its helper need, straight
// on the kernel's capget/capset so no extra library is involved.
#pragma once

#include <cstdint>

#include "base/result.h"

namespace halvoric {

using CapabilityMask = std::uint64_t;

constexpr CapabilityMask CapabilityBit(int capability) { return CapabilityMask{1} << capability; }

// Whether the calling process holds `capability` in force right now.
bool HasEffectiveCapability(int capability);
// Whether it may put `capability` in force.
bool HasPermittedCapability(int capability);

// Keeps only the capabilities in `keep` (those the process has at all) in
// its permitted set, and of those only `inForce` in its effective set;
// empties the inheritable and ambient sets and forbids gaining privileges
// through exec. A failure names the step that failed.
Result<> KeepOnlyCapabilities(CapabilityMask keep, CapabilityMask inForce);
inline Result<> KeepOnlyCapabilities(CapabilityMask keep) {
  return KeepOnlyCapabilities(keep, keep);
}

// The process's permitted set: what it may put in force.
CapabilityMask PermittedCapabilities();

// Makes `inForce` the whole effective set, leaving the permitted set as it
// is; fails when `inForce` holds a capability that is not permitted.
Result<> PutInForce(CapabilityMask inForce);

}  // namespace halvoric
