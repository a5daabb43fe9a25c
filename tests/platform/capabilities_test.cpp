#include "platform/capabilities.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The helper's way with its rights: the drive rights stay permitted but out
// of force while it opens the disk, then one of them is put in force and
// every other right is gone.
TEST(Capabilities, RightsKeptOutOfForceUntilTheDiskIsOpen) {
  if (!HasPermittedCapability(CAP_SYS_RAWIO) || !HasPermittedCapability(CAP_DAC_READ_SEARCH)) {
    GTEST_SKIP() << "needs a process with CAP_SYS_RAWIO and CAP_DAC_READ_SEARCH (root)";
  }
  EXPECT_TRUE(InChild([] {
    const CapabilityMask rawIo = CapabilityBit(CAP_SYS_RAWIO);
    const CapabilityMask open = CapabilityBit(CAP_DAC_READ_SEARCH);
    if (!KeepOnlyCapabilities(rawIo | open, open).Ok()) return false;
    const bool whileOpening = HasEffectiveCapability(CAP_DAC_READ_SEARCH) &&
                              !HasEffectiveCapability(CAP_SYS_RAWIO) &&
                              HasPermittedCapability(CAP_SYS_RAWIO) &&
                              !HasPermittedCapability(CAP_SYS_ADMIN);
    if (!KeepOnlyCapabilities(rawIo).Ok()) return false;
    const bool afterOpening = HasEffectiveCapability(CAP_SYS_RAWIO) &&
                              !HasPermittedCapability(CAP_DAC_READ_SEARCH);
    return whileOpening && afterOpening;
  }));
}

}  // namespace
}  // namespace halvoric
