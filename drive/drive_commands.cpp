// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_commands.h"

#include <array>

namespace halvoric {
namespace {

constexpr bool RowsInEnumOrder() {
  for (std::size_t i = 0; i < kDriveCommands.size(); ++i) {
    if (static_cast<std::size_t>(kDriveCommands[i].Command) != i) return false;
  }
  return true;
}
static_assert(RowsInEnumOrder());

// The helper's check and every backend take a control code's sizes and
// protocol from any of its rows.
constexpr bool CodesAgreeOnTheirShape() {
  for (const DriveCommandRow& a : kDriveCommands) {
    for (const DriveCommandRow& b : kDriveCommands) {
      if (a.Code != b.Code) continue;
      if (a.Protocol != b.Protocol || a.BufferSize != b.BufferSize || a.OutSize != b.OutSize) {
        return false;
      }
      if (&a != &b && a.Ata == b.Ata && a.Features == b.Features &&
          a.SectorNumber == b.SectorNumber) {
        return false;
      }
    }
    const bool dataIn = a.Protocol == AtaProtocol::PioDataIn;
    if (a.BufferSize != (dataIn ? kSectorSize : 0)) return false;
  }
  return true;
}
static_assert(CodesAgreeOnTheirShape());

}  // namespace

std::span<const DriveCommandRow> DriveCommands() { return kDriveCommands; }

const DriveCommandRow& RowOf(DriveCommand command) {
  return kDriveCommands[static_cast<std::size_t>(command)];
}

const DriveCommandRow* FindDriveCommand(std::uint32_t code, const AtaCommandRequest& request) {
  const DriveCommandRow* found = nullptr;
  for (const DriveCommandRow& row : kDriveCommands) {
    if (row.Code != code || row.Ata != request.Command || row.Features != request.Features) {
      continue;
    }
    if (row.SectorNumber == request.SectorNumber) return &row;
    // Another log's address still names the command, for the check to say
    // what is wrong with its registers.
    if (found == nullptr) found = &row;
  }
  return found;
}

}  // namespace halvoric
