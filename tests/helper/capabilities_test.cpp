// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/capabilities.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>

#include "helper/helper_capabilities.h"

namespace halvoric {
namespace {

// Runs `check` in a child process, whose rights can be given up for good
// without touching the test's own; true when every check held.
template <typename Check>
bool InChild(Check check) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(check() ? 0 : 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The helper's way with its rights, on a real process: every right
// permitted and none in force, each put in force for its call alone, and
// after the open only the opened drive's right left to raise.
TEST(Capabilities, EachRightInForceForItsCallAloneAndGoneAfterTheOpen) {
  const int all[] = {CAP_DAC_READ_SEARCH, CAP_SYS_RAWIO, CAP_SYS_ADMIN};
  if (!std::all_of(std::begin(all), std::end(all), HasPermittedCapability)) {
    GTEST_SKIP() << "needs CAP_DAC_READ_SEARCH, CAP_SYS_RAWIO and CAP_SYS_ADMIN (root)";
  }
  const CapabilityMask open = CapabilityBit(CAP_DAC_READ_SEARCH);
  const CapabilityMask ata = CapabilityBit(CAP_SYS_RAWIO);
  const CapabilityMask nvme = CapabilityBit(CAP_SYS_ADMIN);
  const auto sets = [&] {
    CapabilityMask effective = 0;
    CapabilityMask permitted = 0;
    for (int capability : all) {
      if (HasEffectiveCapability(capability)) effective |= CapabilityBit(capability);
      if (HasPermittedCapability(capability)) permitted |= CapabilityBit(capability);
    }
    return std::pair{effective, permitted};
  };
  const struct {
    OpenedDrive opened;
    CapabilityMask kept;
    PrivilegedCall command;
  } drives[] = {
      {OpenedDrive::Ata, ata, PrivilegedCall::AtaCommand},
      {OpenedDrive::Nvme, nvme, PrivilegedCall::NvmeCommand},
      {OpenedDrive::None, 0, PrivilegedCall::AtaCommand},
  };
  for (const auto& d : drives) {
    EXPECT_TRUE(InChild([&] {
      std::size_t refused = 0;
      HelperCapabilities rights([&](const std::string&) { ++refused; });
      bool held = KeepOnlyCapabilities(open | ata | nvme, 0).Ok();
      const auto expect = [&](CapabilityMask effective, CapabilityMask permitted) {
        held = held && sets() == std::pair{effective, permitted};
      };
      expect(0, open | ata | nvme);
      rights.Raise(PrivilegedCall::OpenNode);
      expect(open, open | ata | nvme);
      rights.Lower();
      rights.KeepOnlyFor(d.opened);
      expect(0, d.kept);
      rights.Raise(d.command);  // refused when no drive was opened
      expect(d.kept, d.kept);
      rights.Lower();
      expect(0, d.kept);
      rights.Raise(PrivilegedCall::OpenNode);  // gone for good: refused
      expect(0, d.kept);
      return held && refused == (d.kept == 0 ? 2u : 1u);
    })) << static_cast<int>(d.opened);
  }
}

// A file given only some of the rights (or a user of the disk group with
// none to open): the missing right is not asked for, so the call goes on
// without it instead of ending the helper.
TEST(Capabilities, ARightNeverGivenIsNotRaised) {
  if (!HasPermittedCapability(CAP_DAC_READ_SEARCH) || !HasPermittedCapability(CAP_SYS_RAWIO)) {
    GTEST_SKIP() << "needs CAP_DAC_READ_SEARCH and CAP_SYS_RAWIO (root)";
  }
  EXPECT_TRUE(InChild([] {
    if (!KeepOnlyCapabilities(CapabilityBit(CAP_SYS_RAWIO), 0).Ok()) return false;
    std::size_t refused = 0;
    HelperCapabilities rights([&](const std::string&) { ++refused; });
    rights.Raise(PrivilegedCall::OpenNode);
    const bool nothingInForce = !HasEffectiveCapability(CAP_DAC_READ_SEARCH);
    rights.Lower();
    rights.Raise(PrivilegedCall::AtaCommand);
    const bool ataInForce = HasEffectiveCapability(CAP_SYS_RAWIO);
    rights.Lower();
    return refused == 0 && nothingInForce && ataInForce;
  }));
}

}  // namespace
}  // namespace halvoric
