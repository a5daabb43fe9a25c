// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sat_command.h"

namespace halvoric {
namespace {

constexpr std::uint8_t kCheckCondition = 0x20;
constexpr std::uint8_t kTransferToHost = 0x08;
constexpr std::uint8_t kLengthInBlocks = 0x04;
constexpr std::uint8_t kLengthInSectorCount = 0x02;
constexpr std::uint8_t kDeviceSelect = 0x10;

}  // namespace

AtaPassThroughCdb BuildAtaPassThrough16(const AtaCommandRequest& request, AtaProtocol protocol,
                                        bool lba48) {
  AtaPassThroughCdb cdb{};
  cdb[0] = kAtaPassThrough16;
  cdb[1] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(protocol) << 1 | (lba48 ? 1 : 0));
  cdb[2] = protocol == AtaProtocol::PioDataIn
               ? kTransferToHost | kLengthInBlocks | kLengthInSectorCount
               : kCheckCondition;
  cdb[4] = request.Features;
  cdb[6] = request.SectorCount;
  cdb[8] = request.SectorNumber;
  cdb[10] = request.CylinderLow;
  cdb[12] = request.CylinderHigh;
  // Each Linux node is one device, addressed by the kernel or the bridge in
  // front of it. The DEV bit an odd drive number sets would send a USB
  // bridge to a second device that is not there.
  cdb[13] = static_cast<std::uint8_t>(request.DriveHead & ~kDeviceSelect);
  cdb[14] = request.Command;
  return cdb;
}

}  // namespace halvoric
