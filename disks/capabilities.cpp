// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/capabilities.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace halvoric {
namespace {

struct CapabilitySets {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
};

bool Read(CapabilitySets& sets) { return ::syscall(SYS_capget, &sets.header, sets.data) == 0; }

CapabilityMask Join(std::uint32_t low, std::uint32_t high) {
  return CapabilityMask{low} | (CapabilityMask{high} << 32);
}

Failure Failed(const char* what) {
  return Failure{std::string(what) + ": " + std::strerror(errno)};
}

}  // namespace

bool HasEffectiveCapability(int capability) {
  CapabilitySets sets;
  if (!Read(sets)) return false;
  return (Join(sets.data[0].effective, sets.data[1].effective) & CapabilityBit(capability)) != 0;
}

CapabilityMask PermittedCapabilities() {
  CapabilitySets sets;
  if (!Read(sets)) return 0;
  return Join(sets.data[0].permitted, sets.data[1].permitted);
}

bool HasPermittedCapability(int capability) {
  return (PermittedCapabilities() & CapabilityBit(capability)) != 0;
}

Result<> KeepOnlyCapabilities(CapabilityMask keep, CapabilityMask inForce) {
  CapabilitySets sets;
  if (!Read(sets)) return Failed("capget");
  const CapabilityMask kept = Join(sets.data[0].permitted, sets.data[1].permitted) & keep;
  for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; ++i) {
    sets.data[i].permitted = static_cast<std::uint32_t>(kept >> (32 * i));
    sets.data[i].effective = static_cast<std::uint32_t>((kept & inForce) >> (32 * i));
    sets.data[i].inheritable = 0;
  }
  sets.header = {_LINUX_CAPABILITY_VERSION_3, 0};
  if (::syscall(SYS_capset, &sets.header, sets.data) != 0) return Failed("capset");
  // Kernels before 4.3 have no ambient set; an empty set is what we want.
  if (::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0 && errno != EINVAL) {
    return Failed("clearing the ambient capabilities");
  }
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return Failed("PR_SET_NO_NEW_PRIVS");
  return Result<>::Done();
}

Result<> PutInForce(CapabilityMask inForce) {
  CapabilitySets sets;
  if (!Read(sets)) return Failed("capget");
  for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; ++i) {
    sets.data[i].effective = static_cast<std::uint32_t>(inForce >> (32 * i));
  }
  sets.header = {_LINUX_CAPABILITY_VERSION_3, 0};
  if (::syscall(SYS_capset, &sets.header, sets.data) != 0) return Failed("capset");
  return Result<>::Done();
}

}  // namespace halvoric
