// SPDX-License-Identifier: GPL-3.0-or-later
// halvoric-ata: the only part of Halvoric that may send commands to a drive.
// It is started by the program once per request series and speaks the
// fixed-size protocol of platform/helper_protocol.h on stdin and stdout. It
// takes no arguments and reads no environment. The install step gives the
// file CAP_SYS_RAWIO (ATA commands), CAP_SYS_ADMIN (the two NVMe admin
// commands; optional) and CAP_DAC_READ_SEARCH (to open the disk node, which
// belongs to root:disk), permitted but not in force. Each is put in force
// only around the one call that needs it; once the disk of the series is
// open, only the right that disk needs stays permitted.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "disks/capabilities.h"
#include "helper/helper_capabilities.h"
#include "helper/helper_session.h"

namespace {

constexpr int kExitSetUp = 2;

int Fail(const std::string& why) {
  std::cerr << "halvoric-ata: " << why << "\n";
  return kExitSetUp;
}

}  // namespace

int main(int argc, char**) {
  using namespace halvoric;
  if (argc != 1) return Fail("takes no arguments; it is started by Halvoric");
  // Set-uid would hand the caller's input a root process with every right;
  // only file capabilities are a supported way to install this program.
  if (::getuid() != ::geteuid() || ::getgid() != ::getegid()) {
    return Fail("refuses to run set-uid or set-gid; install it with setcap");
  }
  // Capabilities already keep the caller from tracing or dumping this
  // process; say it outright for systems that allow core dumps of such.
  if (::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0) return Fail("cannot forbid core dumps");
  // A caller that closed stdin, stdout or stderr would have the disk opened
  // under that number, and replies or messages written to it.
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) < 0 && ::open("/dev/null", O_RDWR) != fd) return kExitSetUp;
  }
  const CapabilityMask everyRight = CapabilityFor(PrivilegedCall::OpenNode) |
                                    CapabilityFor(PrivilegedCall::AtaCommand) |
                                    CapabilityFor(PrivilegedCall::NvmeCommand);
  // The file gives these permitted only; this also takes them out of force
  // when root starts the helper, and drops every other right.
  if (const Result<> kept = KeepOnlyCapabilities(everyRight, 0); !kept.Ok()) {
    return Fail(kept.Message);
  }
  const HelperRights rights{HasPermittedCapability(CAP_SYS_RAWIO),
                            HasPermittedCapability(CAP_SYS_ADMIN)};
  HelperCapabilities callRights([](const std::string& why) {
    std::cerr << "halvoric-ata: " << why << "\n";
    std::_Exit(kExitSetUp);
  });
  KernelSgIo sgIo;
  KernelNvmeAdmin nvme;
  HelperSession session("/sys", "/dev", sgIo, nvme, rights, callRights);
  return ServeHelper(session, STDIN_FILENO, STDOUT_FILENO, std::cerr);
}
