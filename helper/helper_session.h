// SPDX-License-Identifier: GPL-3.0-or-later
// The privileged helper's whole behaviour apart from process set-up: reading
// fixed-size requests, checking each, and answering from one whole disk.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "disks/nvme_admin.h"
#include "disks/rights_around_calls.h"
#include "disks/sg_io.h"
#include "drive/channel.h"
#include "drive/helper_protocol.h"

namespace halvoric {

// The rights the helper process holds; each serves one kind of drive.
struct HelperRights {
  bool AtaCommands = false;   // CAP_SYS_RAWIO: SATA and other ATA drives
  bool NvmeCommands = false;  // CAP_SYS_ADMIN: NVMe drives
};

// The reply to one request, and what the helper reports about it on stderr:
// why a request was refused (Reply.Status is HelperStatus::Refused; nothing
// reached the device then), or why an open failed. Empty when there is
// nothing to report.
struct HelperAnswer {
  HelperReply Reply;
  std::string Message;
};

class HelperSession {
 public:
  // A drive whose kind the rights do not cover is answered PermissionDenied
  // without being opened. `callRights` is raised around the open(2) of the
  // node and around each command's ioctl, and told once the open is over,
  // opened or not, so every right that drive does not need goes for good.
  HelperSession(std::filesystem::path sysfsRoot, std::filesystem::path devRoot, SgIo& sgIo,
                NvmeAdmin& nvme, HelperRights rights, RightsAroundCalls& callRights);
  ~HelperSession();
  HelperSession(const HelperSession&) = delete;
  HelperSession& operator=(const HelperSession&) = delete;

  HelperAnswer Answer(const HelperRequest& request);

 private:
  HelperAnswer Open(const HelperRequest& request);
  HelperAnswer Control(const HelperRequest& request);

  std::filesystem::path sysfsRoot_;
  std::filesystem::path devRoot_;
  void OpenIsOver(OpenedDrive opened);

  SgIo& sgIo_;
  NvmeAdmin& nvme_;
  HelperRights rights_;
  RightsAroundCalls& callRights_;
  bool openTried_ = false;
  int fd_ = -1;
  bool fdIsNvme_ = false;
  DriveNumber driveNumber_ = 0;
};

inline constexpr int kHelperExitOk = 0;
inline constexpr int kHelperExitRefused = 1;

// Answers requests from `in` on `out` until end of input. The first refusal
// or malformed request is reported on `err` and ends the session.
int ServeHelper(HelperSession& session, int in, int out, std::ostream& err);

}  // namespace halvoric
