// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/ata_pass_through.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "drive/drive_commands.h"
#include "drive/sat_outcome.h"

namespace halvoric {
namespace {

// SMART reads answer within milliseconds; the bound only keeps a hung drive
// from blocking the caller forever.
constexpr unsigned kCommandTimeoutMs = 10000;
// Enough for fixed format and for descriptor format with the 14-byte ATA
// Status Return descriptor.
constexpr std::size_t kSenseBufferSize = 64;

constexpr std::uint8_t kVersion = 1;
constexpr std::uint8_t kRevision = 1;
// Capability bits: IDENTIFY, IDENTIFY PACKET and SMART commands supported.
constexpr std::uint32_t kCapabilities = 7;
// The device map has one ATA bit for each of the positions 0..3.
constexpr unsigned kDeviceMapPositions = 4;

}  // namespace

bool AnswerVersion(unsigned driveNumber, std::size_t inSize, void* out, std::size_t outSize) {
  if (inSize != 0 || out == nullptr || outSize < sizeof(VersionAnswer)) return false;
  VersionAnswer answer{};
  answer.Version = kVersion;
  answer.Revision = kRevision;
  answer.Capabilities = kCapabilities;
  // Optical drives are never listed, so no position carries the packet bit.
  if (driveNumber < kDeviceMapPositions) {
    answer.IdeDeviceMap = static_cast<std::uint8_t>(1u << driveNumber);
  }
  std::memcpy(out, &answer, sizeof answer);
  return true;
}

bool RunAtaPassThrough(SgIo& sgIo, int fd, const CheckedAtaRequest& checked, void* out) {
  const bool dataIn = checked.Protocol == AtaProtocol::PioDataIn;
  AtaPassThroughCdb cdb =
      BuildAtaPassThrough16(checked.Request, checked.Protocol, RowOf(checked.Command).Lba48);
  std::array<std::uint8_t, kSectorSize> data{};
  std::array<std::uint8_t, kSenseBufferSize> sense{};

  sg_io_hdr_t header{};
  header.interface_id = 'S';
  header.cmd_len = static_cast<unsigned char>(cdb.size());
  header.cmdp = cdb.data();
  header.mx_sb_len = static_cast<unsigned char>(sense.size());
  header.sbp = sense.data();
  header.timeout = kCommandTimeoutMs;
  header.dxfer_direction = dataIn ? SG_DXFER_FROM_DEV : SG_DXFER_NONE;
  header.dxfer_len = dataIn ? static_cast<unsigned>(data.size()) : 0;
  header.dxferp = dataIn ? data.data() : nullptr;

  const int ioctlResult = sgIo.Submit(fd, header);
  const std::size_t senseLength = std::min<std::size_t>(header.sb_len_wr, sense.size());
  const AtaOutcome outcome =
      DecodeAtaOutcome(ioctlResult, header.status, header.host_status, header.driver_status,
                       std::span<const std::uint8_t>(sense.data(), senseLength));

  if (!dataIn) {
    const AtaReturnedRegisters none{};
    const AtaReturnedRegisters& registers = outcome.Registers ? *outcome.Registers : none;
    // A command that answers in the registers is unanswered without them;
    // the others' answers are the error fields alone.
    const bool inRegisters = RowOf(checked.Command).AnswersInRegisters;
    const bool answered = outcome.Success && (outcome.Registers.has_value() || !inRegisters);
    RegisterAnswer answer{};
    answer.DriverError = outcome.DriveReportedError ? kSmartIdeError : 0;
    answer.IdeError = outcome.ErrorRegister;
    if (answered && inRegisters) {
      answer.SectorCount = registers.Count;
      answer.SectorNumber = registers.LbaLow;
      answer.CylinderLow = registers.LbaMid;
      answer.CylinderHigh = registers.LbaHigh;
      answer.Status = registers.Status;
    }
    std::memcpy(out, &answer, sizeof answer);
    return answered;
  }
  AtaResultHeader result{};
  result.BufferSize = outcome.Success ? kSectorSize : 0;
  result.DriverError = outcome.DriveReportedError ? kSmartIdeError : 0;
  result.IdeError = outcome.ErrorRegister;
  auto* bytes = static_cast<std::uint8_t*>(out);
  std::memcpy(bytes, &result, sizeof result);
  if (outcome.Success) {
    std::memcpy(bytes + offsetof(AtaCommandResult, Data), data.data(), data.size());
  }
  return outcome.Success;
}

}  // namespace halvoric
