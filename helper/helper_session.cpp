// SPDX-License-Identifier: GPL-3.0-or-later
#include "helper/helper_session.h"

#include <unistd.h>

#include <cstring>
#include <limits>

#include "base/full_transfer.h"
#include "disks/ata_pass_through.h"
#include "disks/whole_disk_node.h"
#include "disks/whole_disks.h"

namespace halvoric {
namespace {

HelperReply Reply(HelperStatus status) {
  HelperReply reply{};
  reply.Magic = kHelperReplyMagic;
  reply.Status = static_cast<std::uint32_t>(status);
  return reply;
}

HelperAnswer Answered(HelperStatus status, std::string message = {}) {
  return {Reply(status), std::move(message)};
}

HelperAnswer Refusal(std::string why) { return Answered(HelperStatus::Refused, std::move(why)); }

HelperStatus StatusOf(OpenError error) {
  switch (error) {
    case OpenError::NotFound:
      return HelperStatus::NotFound;
    case OpenError::PermissionDenied:
      return HelperStatus::PermissionDenied;
    default:
      return HelperStatus::OpenFailed;
  }
}

// Reads exactly `size` bytes; 0 at a clean end of input, -1 on a short read.
long ReadAll(int fd, void* buffer, std::size_t size) {
  const auto read = [&](std::size_t offset, std::size_t count) {
    return ::read(fd, static_cast<char*>(buffer) + offset, count);
  };
  const Transfer got = TransferFully(size, read);
  if (got.Complete()) return static_cast<long>(got.Moved);
  return got.Moved == 0 && got.AtEnd ? 0 : -1;
}

bool WriteAll(int fd, const void* buffer, std::size_t size) {
  const auto write = [&](std::size_t offset, std::size_t count) {
    return ::write(fd, static_cast<const char*>(buffer) + offset, count);
  };
  return TransferFully(size, write).Complete();
}

// A command seam with its right in force around the ioctl alone, not
// around the translation before and after it.
template <typename Seam, typename Command, PrivilegedCall kCall>
class Raising final : public Seam {
 public:
  Raising(Seam& inner, RightsAroundCalls& rights) : inner_(inner), rights_(rights) {}
  int Submit(int fd, Command& command) override {
    const RaisedRight canSend(rights_, kCall);
    return inner_.Submit(fd, command);
  }

 private:
  Seam& inner_;
  RightsAroundCalls& rights_;
};
using RaisingSgIo = Raising<SgIo, sg_io_hdr_t, PrivilegedCall::AtaCommand>;
using RaisingNvmeAdmin = Raising<NvmeAdmin, nvme_admin_cmd, PrivilegedCall::NvmeCommand>;

}  // namespace

HelperSession::HelperSession(std::filesystem::path sysfsRoot, std::filesystem::path devRoot,
                             SgIo& sgIo, NvmeAdmin& nvme, HelperRights rights,
                             RightsAroundCalls& callRights)
    : sysfsRoot_(std::move(sysfsRoot)),
      devRoot_(std::move(devRoot)),
      sgIo_(sgIo),
      nvme_(nvme),
      rights_(rights),
      callRights_(callRights) {}

HelperSession::~HelperSession() {
  if (fd_ >= 0) ::close(fd_);
}

HelperAnswer HelperSession::Answer(const HelperRequest& request) {
  if (request.Magic != kHelperRequestMagic) return Refusal("not a helper request");
  if (request.Operation == kHelperOpen) return Open(request);
  return Control(request);
}

HelperAnswer HelperSession::Open(const HelperRequest& request) {
  if (openTried_) return Refusal("one drive per session");
  if (request.DriveNumber > std::numeric_limits<DriveNumber>::max()) {
    OpenIsOver(OpenedDrive::None);
    return Refusal("drive number " + std::to_string(request.DriveNumber) + " is not a drive index");
  }
  openTried_ = true;
  // One listing decides both the disk and the right it needs.
  const std::vector<std::string> disks = ListWholeDisks(sysfsRoot_);
  if (request.DriveNumber >= disks.size()) {
    OpenIsOver(OpenedDrive::None);
    return Answered(HelperStatus::NotFound);  // probing for drives is normal use
  }
  const std::string& name = disks[request.DriveNumber];
  const bool nvme = IsNvmeDiskName(name);
  if (nvme && !rights_.NvmeCommands) {
    // Installing the helper without CAP_SYS_ADMIN is an administrator's
    // choice, not a fault; every series of the drive would repeat a line.
    OpenIsOver(OpenedDrive::None);
    return Answered(HelperStatus::PermissionDenied);
  }
  if (!nvme && !rights_.AtaCommands) {
    OpenIsOver(OpenedDrive::None);
    return Answered(HelperStatus::PermissionDenied,
                    "no CAP_SYS_RAWIO: the install step gives it to halvoric-ata");
  }
  OpenResult node = OpenWholeDiskNode(sysfsRoot_, devRoot_, name, callRights_);
  OpenIsOver(!node.Ok() ? OpenedDrive::None : nvme ? OpenedDrive::Nvme : OpenedDrive::Ata);
  if (!node.Ok()) {
    // A node that is not the listed whole disk is a refusal, not a miss.
    const HelperStatus status =
        node.Kind == OpenError::Other ? HelperStatus::Refused : StatusOf(node.Kind);
    // A node missing from /dev is a miss like a drive that is not there.
    if (node.Kind == OpenError::NotFound) return Answered(status);
    return Answered(status, std::move(node.Message));
  }
  fd_ = static_cast<int>(*node);
  fdIsNvme_ = nvme;
  driveNumber_ = static_cast<DriveNumber>(request.DriveNumber);
  return Answered(HelperStatus::Ok);
}

void HelperSession::OpenIsOver(OpenedDrive opened) { callRights_.KeepOnlyFor(opened); }

HelperAnswer HelperSession::Control(const HelperRequest& request) {
  if (fd_ < 0) return Refusal("no drive is open");
  if (request.OutSize > kHelperMaxOut) return Refusal("output size too large");
  HelperAnswer answer = Answered(HelperStatus::Ok);
  HelperReply& reply = answer.Reply;
  bool done = false;
  if (request.Operation == SMART_GET_VERSION) {
    if (request.OutSize != sizeof(VersionAnswer)) {
      return Refusal("version query needs a 24-byte answer");
    }
    done = AnswerVersion(driveNumber_, 0, reply.Out, request.OutSize);
  } else {
    Result<CheckedAtaRequest> checked = CheckAtaRequest(
        request.Operation, &request.Ata, sizeof request.Ata, reply.Out, request.OutSize);
    if (!checked.Ok()) return Refusal(std::move(checked.Message));
    // An NVMe drive gets only the two fixed admin commands the accepted
    // request translates to; nothing in the request reaches it as is.
    if (fdIsNvme_) {
      RaisingNvmeAdmin nvme(nvme_, callRights_);
      done = RunNvmeRequest(nvme, fd_, *checked, reply.Out);
    } else {
      RaisingSgIo sgIo(sgIo_, callRights_);
      done = RunAtaPassThrough(sgIo, fd_, *checked, reply.Out);
    }
  }
  reply.OutSize = request.OutSize;
  if (!done) reply.Status = static_cast<std::uint32_t>(HelperStatus::RequestFailed);
  return answer;
}

int ServeHelper(HelperSession& session, int in, int out, std::ostream& err) {
  for (;;) {
    HelperRequest request{};
    const long got = ReadAll(in, &request, sizeof request);
    if (got == 0) return kHelperExitOk;
    if (got < 0) {
      err << "halvoric-ata: refused: incomplete request\n";
      return kHelperExitRefused;
    }
    const HelperAnswer answer = session.Answer(request);
    if (!WriteAll(out, &answer.Reply, sizeof answer.Reply)) return kHelperExitOk;
    const bool refused = answer.Reply.Status == static_cast<std::uint32_t>(HelperStatus::Refused);
    if (!answer.Message.empty()) {
      err << "halvoric-ata: " << (refused ? "refused: " : "") << answer.Message << "\n";
    }
    if (refused) return kHelperExitRefused;
  }
}

}  // namespace halvoric
