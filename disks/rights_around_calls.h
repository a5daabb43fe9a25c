// SPDX-License-Identifier: GPL-3.0-or-later
// The privileged helper's rights, each in force only while the one system
// call that needs it runs. Everything else the helper does (reading and
// checking requests, listing disks, writing replies) runs with none in
// force, so a fault there has no right to misuse.
#pragma once

namespace halvoric {

// What the session's one open left open, so the process keeps only the
// right that drive needs.
enum class OpenedDrive { None, Ata, Nvme };

// The system calls that need a right: the open(2) of the disk node, which
// belongs to root:disk (CAP_DAC_READ_SEARCH); SG_IO ATA pass-through
// (CAP_SYS_RAWIO); the NVMe admin ioctl (CAP_SYS_ADMIN).
enum class PrivilegedCall { OpenNode, AtaCommand, NvmeCommand };

class RightsAroundCalls {
 public:
  virtual ~RightsAroundCalls() = default;
  // Puts in force the right `call` needs, and nothing else.
  virtual void Raise(PrivilegedCall call) = 0;
  // Takes every right out of force again.
  virtual void Lower() = 0;
  // The open is over, opened or not: gives up for good every right the
  // commands to `opened` do not need, so that nothing later can raise it.
  virtual void KeepOnlyFor(OpenedDrive opened) = 0;
};

// Holds the right `call` needs in force for its own lifetime.
class RaisedRight {
 public:
  RaisedRight(RightsAroundCalls& rights, PrivilegedCall call) : rights_(rights) {
    rights_.Raise(call);
  }
  ~RaisedRight() { rights_.Lower(); }
  RaisedRight(const RaisedRight&) = delete;
  RaisedRight& operator=(const RaisedRight&) = delete;

 private:
  RightsAroundCalls& rights_;
};

}  // namespace halvoric
