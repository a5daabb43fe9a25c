// halvoric-ata: the only part of Halvoric that may send ATA commands. It is
// started by the program once per request series and speaks the fixed-size
// protocol of platform/helper_protocol.h on stdin and stdout. It takes no
// arguments and reads no environment; the install step gives the file
// CAP_SYS_RAWIO (to send the commands) and CAP_DAC_READ_SEARCH (to open the
// disk node, which belongs to root:disk), and the second is dropped as soon
// as the one disk of the series is open.
#include <linux/capability.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

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
  const CapabilityMask openRights =
      CapabilityBit(CAP_SYS_RAWIO) | CapabilityBit(CAP_DAC_READ_SEARCH);
  if (const std::string problem = KeepOnlyCapabilities(openRights); !problem.empty()) {
    return Fail(problem);
  }
  const auto dropOpenRight = [] {
    if (const std::string problem = KeepOnlyCapabilities(CapabilityBit(CAP_SYS_RAWIO));
        !problem.empty()) {
      std::cerr << "halvoric-ata: " << problem << "\n";
      std::_Exit(kExitSetUp);
    }
  };
  KernelSgIo sgIo;
  HelperSession session("/sys", "/dev", sgIo, HasEffectiveCapability(CAP_SYS_RAWIO), dropOpenRight);
  return ServeHelper(session, STDIN_FILENO, STDOUT_FILENO, std::cerr);
}
