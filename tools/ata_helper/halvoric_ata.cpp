// halvoric-ata: the only part of Halvoric that may send commands to a drive.
// It is started by the program once per request series and speaks the
// fixed-size protocol of platform/helper_protocol.h on stdin and stdout. It
// takes no arguments and reads no environment. The install step gives the
// file CAP_SYS_RAWIO (ATA commands), CAP_SYS_ADMIN (the two NVMe admin
// commands; optional) and CAP_DAC_READ_SEARCH (to open the disk node, which
// belongs to root:disk). Only the last is in force until the one disk of
// the series is open; then only the right that disk needs is kept.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/capabilities.h"
#include "platform/helper_session.h"

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
  const CapabilityMask ataRight = CapabilityBit(CAP_SYS_RAWIO);
  const CapabilityMask nvmeRight = CapabilityBit(CAP_SYS_ADMIN);
  const CapabilityMask openRight = CapabilityBit(CAP_DAC_READ_SEARCH);
  // Until the disk is open only the right to open it is in force; the
  // drive rights stay permitted, to be put in force for the one drive.
  if (const Result<> kept = KeepOnlyCapabilities(ataRight | nvmeRight | openRight, openRight);
      !kept.Ok()) {
    return Fail(kept.Message);
  }
  const HelperRights rights{HasPermittedCapability(CAP_SYS_RAWIO),
                            HasPermittedCapability(CAP_SYS_ADMIN)};
  const auto keepWhatTheDriveNeeds = [=](OpenedDrive opened) {
    const CapabilityMask keep = opened == OpenedDrive::Ata    ? ataRight
                                : opened == OpenedDrive::Nvme ? nvmeRight
                                                              : 0;
    if (const Result<> kept = KeepOnlyCapabilities(keep); !kept.Ok()) {
      std::cerr << "halvoric-ata: " << kept.Message << "\n";
      std::_Exit(kExitSetUp);
    }
  };
  KernelSgIo sgIo;
  KernelNvmeAdmin nvme;
  HelperSession session("/sys", "/dev", sgIo, nvme, rights, keepWhatTheDriveNeeds);
  return ServeHelper(session, STDIN_FILENO, STDOUT_FILENO, std::cerr);
}
