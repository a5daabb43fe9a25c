#include "drive/drive_commands.h"

#include <algorithm>
#include <array>

namespace halvoric {
namespace {

constexpr std::size_t kHeaderOnly = sizeof(AtaResultHeader);
constexpr std::size_t kWithSector = sizeof(AtaCommandResult);
constexpr std::uint32_t kOneSector = kSectorSize;

using enum DriveCommand;
using enum AtaProtocol;
using enum NvmeEquivalent;

// In the order of DriveCommand.
constexpr std::array kRows = {
    DriveCommandRow{SmartEnable, "SMART ENABLE OPERATIONS", kAtaSmart, kSmartEnableOperations, 1, 1,
                    kSmartCylinderLow, kSmartCylinderHigh, NonData, 0, SMART_SEND_DRIVE_COMMAND,
                    kHeaderOnly, None, true, false},
    DriveCommandRow{IdentifyDevice, "IDENTIFY DEVICE", kAtaIdentifyDevice, 0, 1, 1, 0, 0, PioDataIn,
                    kOneSector, SMART_RCV_DRIVE_DATA, kWithSector, IdentifyController, true, false},
    // A packet device is an optical drive: NVMe has none.
    DriveCommandRow{IdentifyPacketDevice, "IDENTIFY PACKET DEVICE", kAtaIdentifyPacketDevice, 0, 1,
                    1, 0, 0, PioDataIn, kOneSector, SMART_RCV_DRIVE_DATA, kWithSector, None, true,
                    false},
    DriveCommandRow{SmartReadData, "SMART READ DATA", kAtaSmart, kSmartReadData, 1, 1,
                    kSmartCylinderLow, kSmartCylinderHigh, PioDataIn, kOneSector,
                    SMART_RCV_DRIVE_DATA, kWithSector, HealthAttributes, true, false},
    DriveCommandRow{SmartReadThresholds, "SMART READ ATTRIBUTE THRESHOLDS", kAtaSmart,
                    kSmartReadThresholds, 1, 1, kSmartCylinderLow, kSmartCylinderHigh, PioDataIn,
                    kOneSector, SMART_RCV_DRIVE_DATA, kWithSector, HealthThresholds, true, false},
    // Every register 0, so the request can carry nothing else to the drive.
    // NVMe power states are not ATA's: no command answers the check there.
    DriveCommandRow{CheckPowerMode, "CHECK POWER MODE", kAtaCheckPowerMode, 0, 0, 0, 0, 0, NonData,
                    0, CHECK_POWER_MODE, sizeof(PowerModeAnswer), None, true, true},
};

constexpr bool RowsInEnumOrder() {
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    if (static_cast<std::size_t>(kRows[i].Command) != i) return false;
  }
  return true;
}
static_assert(RowsInEnumOrder());

// The helper's check and every backend take a control code's sizes and
// protocol from any of its rows.
constexpr bool CodesAgreeOnTheirShape() {
  for (const DriveCommandRow& a : kRows) {
    for (const DriveCommandRow& b : kRows) {
      if (a.Code != b.Code) continue;
      if (a.Protocol != b.Protocol || a.BufferSize != b.BufferSize || a.OutSize != b.OutSize) {
        return false;
      }
      if (&a != &b && a.Ata == b.Ata && a.Features == b.Features) return false;
    }
    const bool dataIn = a.Protocol == PioDataIn;
    if (a.BufferSize != (dataIn ? kOneSector : 0)) return false;
  }
  return true;
}
static_assert(CodesAgreeOnTheirShape());

}  // namespace

std::span<const DriveCommandRow> DriveCommands() { return kRows; }

const DriveCommandRow& RowOf(DriveCommand command) {
  return kRows[static_cast<std::size_t>(command)];
}

const DriveCommandRow* FindDriveCommand(std::uint32_t code, const AtaCommandRequest& request) {
  const auto row = std::find_if(kRows.begin(), kRows.end(), [&](const DriveCommandRow& r) {
    return r.Code == code && r.Ata == request.Command && r.Features == request.Features;
  });
  return row == kRows.end() ? nullptr : &*row;
}

}  // namespace halvoric
