// The few capability operations the program and its helper need, straight
// on the kernel's capget/capset so no extra library is involved.
#pragma once

#include <cstdint>
#include <string>

namespace halvoric {

using CapabilityMask = std::uint64_t;

constexpr CapabilityMask CapabilityBit(int capability) { return CapabilityMask{1} << capability; }

// Whether the calling process may send raw ATA commands right now.
bool HasEffectiveCapability(int capability);

// Keeps only the capabilities in `keep` (those the process has at all) in
// its permitted and effective sets, empties the inheritable and ambient sets
// and forbids gaining privileges through exec. Empty on success, else what
// failed.
std::string KeepOnlyCapabilities(CapabilityMask keep);

}  // namespace halvoric
