#include "disks/nvme_admin.h"

#include <sys/ioctl.h>

#include <cstring>

#include "drive/nvme_translation.h"

namespace halvoric {
namespace {

constexpr std::uint8_t kAdminGetLogPage = 0x02;
constexpr std::uint8_t kAdminIdentify = 0x06;
constexpr std::uint32_t kCnsController = 0x01;
constexpr std::uint32_t kLogSmartHealth = 0x02;
constexpr std::uint32_t kAllNamespaces = 0xFFFFFFFF;
// SMART reads answer within milliseconds; the bound only keeps a hung drive
// from blocking the caller forever.
constexpr std::uint32_t kCommandTimeoutMs = 10000;

bool Identify(NvmeAdmin& admin, int fd, NvmeIdentifyData& data) {
  nvme_admin_cmd command{};
  command.opcode = kAdminIdentify;
  command.addr = reinterpret_cast<std::uintptr_t>(data.data());
  command.data_len = data.size();
  command.cdw10 = kCnsController;
  command.timeout_ms = kCommandTimeoutMs;
  return admin.Submit(fd, command) == 0;
}

bool ReadHealthLog(NvmeAdmin& admin, int fd, NvmeHealthLog& log) {
  nvme_admin_cmd command{};
  command.opcode = kAdminGetLogPage;
  command.nsid = kAllNamespaces;
  command.addr = reinterpret_cast<std::uintptr_t>(log.data());
  command.data_len = log.size();
  // Number of dwords minus one in bits 16..27, the log page in bits 0..7.
  command.cdw10 = kLogSmartHealth | ((log.size() / 4 - 1) << 16);
  command.timeout_ms = kCommandTimeoutMs;
  return admin.Submit(fd, command) == 0;
}

}  // namespace

int KernelNvmeAdmin::Submit(int fd, nvme_admin_cmd& command) {
  return ::ioctl(fd, NVME_IOCTL_ADMIN_CMD, &command);
}

bool RunNvmeRequest(NvmeAdmin& admin, int fd, const CheckedAtaRequest& checked, void* out) {
  if (checked.PowerCheck) {
    // An NVMe drive has no spindle to keep still, and its power states
    // are not ATA's: no command answers the check, so the mode stays
    // unknown and the drive is read as ever.
    const PowerModeAnswer none{};
    std::memcpy(out, &none, sizeof none);
    return false;
  }
  AtaCommandResult result{};
  const AtaCommandRequest& request = checked.Request;
  bool done = false;
  if (checked.Protocol == AtaProtocol::NonData) {
    done = true;
  } else if (request.Command == kAtaIdentifyDevice) {
    NvmeIdentifyData controller{};
    done = Identify(admin, fd, controller);
    if (done) NvmeIdentifyToAta(controller, result.Data);
  } else if (request.Command == kAtaSmart) {
    NvmeHealthLog log{};
    done = ReadHealthLog(admin, fd, log);
    if (done && request.Features == kSmartReadData) NvmeHealthToAttributes(log, result.Data);
    if (done && request.Features == kSmartReadThresholds) NvmeHealthToThresholds(log, result.Data);
  }
  const bool dataIn = checked.Protocol == AtaProtocol::PioDataIn;
  result.Header.BufferSize = done && dataIn ? kSectorSize : 0;
  // A failed read leaves the caller's earlier data as it was.
  std::memcpy(out, &result, done && dataIn ? sizeof result : sizeof result.Header);
  return done;
}

}  // namespace halvoric
