// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/nvme_admin.h"

#include <sys/ioctl.h>

#include <cstring>

#include "drive/nvme_translation.h"

namespace halvoric {
namespace {

constexpr std::uint8_t kAdminGetLogPage = 0x02;
constexpr std::uint8_t kAdminIdentify = 0x06;
constexpr std::uint8_t kAdminDeviceSelfTest = 0x14;
constexpr std::uint32_t kCnsController = 0x01;
constexpr std::uint32_t kLogErrorInformation = 0x01;
constexpr std::uint32_t kLogSmartHealth = 0x02;
constexpr std::uint32_t kLogSelfTest = 0x06;
// Device Self-test codes (CDW10 bits 3..0).
constexpr std::uint32_t kShortSelfTest = 0x1;
constexpr std::uint32_t kExtendedSelfTest = 0x2;
constexpr std::uint32_t kAbortSelfTest = 0xF;
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

// The log's first `size` bytes, a whole number of dwords.
bool ReadLog(NvmeAdmin& admin, int fd, std::uint32_t page, std::uint8_t* into, std::uint32_t size) {
  nvme_admin_cmd command{};
  command.opcode = kAdminGetLogPage;
  command.nsid = kAllNamespaces;
  command.addr = reinterpret_cast<std::uintptr_t>(into);
  command.data_len = size;
  // Number of dwords minus one in bits 16..27, the log page in bits 0..7.
  command.cdw10 = page | ((size / 4 - 1) << 16);
  command.timeout_ms = kCommandTimeoutMs;
  return admin.Submit(fd, command) == 0;
}

bool ReadHealthLog(NvmeAdmin& admin, int fd, NvmeHealthLog& log) {
  return ReadLog(admin, fd, kLogSmartHealth, log.data(), log.size());
}

// Runs in the drive's background, on every namespace; the command returns
// at once, and fails while another test runs.
bool DeviceSelfTest(NvmeAdmin& admin, int fd, std::uint32_t code) {
  nvme_admin_cmd command{};
  command.opcode = kAdminDeviceSelfTest;
  command.nsid = kAllNamespaces;
  command.cdw10 = code;
  command.timeout_ms = kCommandTimeoutMs;
  return admin.Submit(fd, command) == 0;
}

}  // namespace

int KernelNvmeAdmin::Submit(int fd, nvme_admin_cmd& command) {
  return ::ioctl(fd, NVME_IOCTL_ADMIN_CMD, &command);
}

bool RunNvmeRequest(NvmeAdmin& admin, int fd, const CheckedAtaRequest& checked, void* out) {
  AtaCommandResult result{};
  bool done = false;
  NvmeHealthLog log{};
  switch (RowOf(checked.Command).Nvme) {
    case NvmeEquivalent::IdentifyController: {
      NvmeIdentifyData controller{};
      done = Identify(admin, fd, controller);
      if (done) NvmeIdentifyToAta(controller, result.Data);
      break;
    }
    case NvmeEquivalent::HealthAttributes:
      done = ReadHealthLog(admin, fd, log);
      if (done) NvmeHealthToAttributes(log, result.Data);
      break;
    case NvmeEquivalent::HealthThresholds:
      done = ReadHealthLog(admin, fd, log);
      if (done) NvmeHealthToThresholds(log, result.Data);
      break;
    case NvmeEquivalent::SelfTestLog:
      done = ReadLog(admin, fd, kLogSelfTest, result.Data, kSectorSize);
      break;
    case NvmeEquivalent::ErrorLog:
      done = ReadLog(admin, fd, kLogErrorInformation, result.Data, kSectorSize);
      break;
    case NvmeEquivalent::ShortSelfTest:
      done = DeviceSelfTest(admin, fd, kShortSelfTest);
      break;
    case NvmeEquivalent::ExtendedSelfTest:
      done = DeviceSelfTest(admin, fd, kExtendedSelfTest);
      break;
    case NvmeEquivalent::AbortSelfTest:
      done = DeviceSelfTest(admin, fd, kAbortSelfTest);
      break;
    case NvmeEquivalent::None:
      // Nothing is sent: a command the drive has no equivalent for must not
      // read as carried out.
      break;
  }
  const bool dataIn = checked.Protocol == AtaProtocol::PioDataIn;
  result.Header.BufferSize = done && dataIn ? kSectorSize : 0;
  // A failed read leaves the caller's earlier data as it was; the header
  // (or the power check's answer of the same size) reads as all zero.
  static_assert(sizeof(RegisterAnswer) == sizeof result.Header);
  std::memcpy(out, &result, done && dataIn ? sizeof result : sizeof result.Header);
  return done;
}

}  // namespace halvoric
