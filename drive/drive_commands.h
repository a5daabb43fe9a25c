// SPDX-License-Identifier: GPL-3.0-or-later
// Every ATA command the program sends, one row each. The channel fills its
// requests from the rows, the helper's check lets through only what a row
// permits, the NVMe and sysfs backends and the simulated drives answer by
// the row's command. Adding a command is adding a row and its decoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "drive/ata_blocks.h"
#include "drive/sat_command.h"

namespace halvoric {

enum class DriveCommand : std::uint8_t {
  SmartEnable,
  IdentifyDevice,
  IdentifyPacketDevice,
  SmartReadData,
  SmartReadThresholds,
  CheckPowerMode,
  SmartReturnStatus,
  SmartReadSctStatus,
  SmartReadErrorLog,
  SmartReadSelfTestLog,
  ReadExtendedErrorLog,
  ReadExtendedSelfTestLog,
  StartShortSelfTest,
  StartExtendedSelfTest,
  StartConveyanceSelfTest,
  AbortSelfTest,
};

// What an NVMe drive is asked in place of the command, and which block of
// the ATA series its answer fills. None: the drive has no such command, and
// the request fails as unsupported.
enum class NvmeEquivalent : std::uint8_t {
  None,
  IdentifyController,  // the IDENTIFY sector
  HealthAttributes,    // the health log as the attribute table
  HealthThresholds,    // the health log as the threshold table
  SelfTestLog,         // log page 06h, its first 512 bytes
  ErrorLog,            // log page 01h, its newest eight entries
  ShortSelfTest,       // Device Self-test, code 1
  ExtendedSelfTest,    // Device Self-test, code 2
  AbortSelfTest,       // Device Self-test, code Fh
};

struct DriveCommandRow {
  DriveCommand Command;
  const char* Name;
  // The registers; drive/head comes from the drive number.
  std::uint8_t Ata;
  std::uint8_t Features;
  std::uint8_t SectorCount;
  std::uint8_t SectorNumber;
  std::uint8_t CylinderLow;
  std::uint8_t CylinderHigh;
  AtaProtocol Protocol;
  std::uint32_t BufferSize;  // bytes the drive sends: 0 or one sector
  std::uint32_t Code;        // the control code it travels as
  std::size_t OutSize;       // the answer the caller's buffer must hold
  NvmeEquivalent Nvme;
  // The helper sends it for anyone; only with exactly these registers.
  bool HelperPermits;
  // It may go to a drive in standby or asleep: it does not wake it.
  bool AsleepOk;
  // The drive answers in the registers it returns: without them back, the
  // command went unanswered, whatever else succeeded.
  bool AnswersInRegisters = false;
  // A 48-bit command: the pass-through says so, though every upper byte
  // stays 0.
  bool Lba48 = false;
};

// One row per DriveCommand, in its order.
inline constexpr std::array kDriveCommands = {
    DriveCommandRow{DriveCommand::SmartEnable, "SMART ENABLE OPERATIONS", kAtaSmart,
                    kSmartEnableOperations, 1, 1, kSmartCylinderLow, kSmartCylinderHigh,
                    AtaProtocol::NonData, 0, SMART_SEND_DRIVE_COMMAND, sizeof(AtaResultHeader),
                    NvmeEquivalent::None, true, false},
    DriveCommandRow{DriveCommand::IdentifyDevice, "IDENTIFY DEVICE", kAtaIdentifyDevice, 0, 1, 1, 0,
                    0, AtaProtocol::PioDataIn, kSectorSize, SMART_RCV_DRIVE_DATA,
                    sizeof(AtaCommandResult), NvmeEquivalent::IdentifyController, true, false},
    // A packet device is an optical drive: NVMe has none.
    DriveCommandRow{DriveCommand::IdentifyPacketDevice, "IDENTIFY PACKET DEVICE",
                    kAtaIdentifyPacketDevice, 0, 1, 1, 0, 0, AtaProtocol::PioDataIn, kSectorSize,
                    SMART_RCV_DRIVE_DATA, sizeof(AtaCommandResult), NvmeEquivalent::None, true,
                    false},
    DriveCommandRow{DriveCommand::SmartReadData, "SMART READ DATA", kAtaSmart, kSmartReadData, 1, 1,
                    kSmartCylinderLow, kSmartCylinderHigh, AtaProtocol::PioDataIn, kSectorSize,
                    SMART_RCV_DRIVE_DATA, sizeof(AtaCommandResult),
                    NvmeEquivalent::HealthAttributes, true, false},
    DriveCommandRow{DriveCommand::SmartReadThresholds, "SMART READ ATTRIBUTE THRESHOLDS", kAtaSmart,
                    kSmartReadThresholds, 1, 1, kSmartCylinderLow, kSmartCylinderHigh,
                    AtaProtocol::PioDataIn, kSectorSize, SMART_RCV_DRIVE_DATA,
                    sizeof(AtaCommandResult), NvmeEquivalent::HealthThresholds, true, false},
    // Every register 0, so the request can carry nothing else to the drive.
    // NVMe power states are not ATA's: no command answers the check there.
    DriveCommandRow{DriveCommand::CheckPowerMode, "CHECK POWER MODE", kAtaCheckPowerMode, 0, 0, 0,
                    0, 0, AtaProtocol::NonData, 0, CHECK_POWER_MODE, sizeof(RegisterAnswer),
                    NvmeEquivalent::None, true, true, true},
    // The drive's own verdict. An NVMe drive says it in its health log's
    // critical warning instead.
    DriveCommandRow{DriveCommand::SmartReturnStatus, "SMART RETURN STATUS", kAtaSmart,
                    kSmartReturnStatus, 1, 1, kSmartCylinderLow, kSmartCylinderHigh,
                    AtaProtocol::NonData, 0, SMART_SEND_DRIVE_COMMAND, sizeof(RegisterAnswer),
                    NvmeEquivalent::None, true, false, true},
    // One sector of one log only: the SCT status, read for its temperature.
    DriveCommandRow{DriveCommand::SmartReadSctStatus, "SMART READ LOG", kAtaSmart, kSmartReadLog, 1,
                    kSctStatusLog, kSmartCylinderLow, kSmartCylinderHigh, AtaProtocol::PioDataIn,
                    kSectorSize, SMART_RCV_DRIVE_DATA, sizeof(AtaCommandResult),
                    NvmeEquivalent::None, true, false},
    // The logs read only their first sector: the summary logs are one
    // sector long, and the extended logs' first page holds their count and
    // newest entries.
    DriveCommandRow{DriveCommand::SmartReadErrorLog, "SMART READ LOG", kAtaSmart, kSmartReadLog, 1,
                    kSummaryErrorLog, kSmartCylinderLow, kSmartCylinderHigh, AtaProtocol::PioDataIn,
                    kSectorSize, SMART_RCV_DRIVE_DATA, sizeof(AtaCommandResult),
                    NvmeEquivalent::ErrorLog, true, false},
    DriveCommandRow{DriveCommand::SmartReadSelfTestLog, "SMART READ LOG", kAtaSmart, kSmartReadLog,
                    1, kSelfTestLog, kSmartCylinderLow, kSmartCylinderHigh, AtaProtocol::PioDataIn,
                    kSectorSize, SMART_RCV_DRIVE_DATA, sizeof(AtaCommandResult),
                    NvmeEquivalent::SelfTestLog, true, false},
    DriveCommandRow{DriveCommand::ReadExtendedErrorLog, "READ LOG EXT", kAtaReadLogExt, 0, 1,
                    kExtendedErrorLog, 0, 0, AtaProtocol::PioDataIn, kSectorSize,
                    SMART_RCV_DRIVE_DATA, sizeof(AtaCommandResult), NvmeEquivalent::None, true,
                    false, false, true},
    DriveCommandRow{DriveCommand::ReadExtendedSelfTestLog, "READ LOG EXT", kAtaReadLogExt, 0, 1,
                    kExtendedSelfTestLog, 0, 0, AtaProtocol::PioDataIn, kSectorSize,
                    SMART_RCV_DRIVE_DATA, sizeof(AtaCommandResult), NvmeEquivalent::None, true,
                    false, false, true},
    // Self-tests run in the drive's background: the command returns at once
    // and the drive goes on answering. Conveyance has no NVMe counterpart.
    DriveCommandRow{DriveCommand::StartShortSelfTest, "SMART EXECUTE OFF-LINE IMMEDIATE", kAtaSmart,
                    kSmartExecuteOffline, 1, kOfflineShortTest, kSmartCylinderLow,
                    kSmartCylinderHigh, AtaProtocol::NonData, 0, SMART_SEND_DRIVE_COMMAND,
                    sizeof(AtaResultHeader), NvmeEquivalent::ShortSelfTest, true, false},
    DriveCommandRow{DriveCommand::StartExtendedSelfTest, "SMART EXECUTE OFF-LINE IMMEDIATE",
                    kAtaSmart, kSmartExecuteOffline, 1, kOfflineExtendedTest, kSmartCylinderLow,
                    kSmartCylinderHigh, AtaProtocol::NonData, 0, SMART_SEND_DRIVE_COMMAND,
                    sizeof(AtaResultHeader), NvmeEquivalent::ExtendedSelfTest, true, false},
    DriveCommandRow{DriveCommand::StartConveyanceSelfTest, "SMART EXECUTE OFF-LINE IMMEDIATE",
                    kAtaSmart, kSmartExecuteOffline, 1, kOfflineConveyanceTest, kSmartCylinderLow,
                    kSmartCylinderHigh, AtaProtocol::NonData, 0, SMART_SEND_DRIVE_COMMAND,
                    sizeof(AtaResultHeader), NvmeEquivalent::None, true, false},
    DriveCommandRow{DriveCommand::AbortSelfTest, "SMART EXECUTE OFF-LINE IMMEDIATE", kAtaSmart,
                    kSmartExecuteOffline, 1, kOfflineAbortTest, kSmartCylinderLow,
                    kSmartCylinderHigh, AtaProtocol::NonData, 0, SMART_SEND_DRIVE_COMMAND,
                    sizeof(AtaResultHeader), NvmeEquivalent::AbortSelfTest, true, false},
};

inline constexpr std::size_t kDriveCommandCount = kDriveCommands.size();

std::span<const DriveCommandRow> DriveCommands();
const DriveCommandRow& RowOf(DriveCommand command);

// The row a request of control code `code` belongs to, by its command and
// features registers, and among the rows of one log read by the log's
// address; none for a request the program never sends.
const DriveCommandRow* FindDriveCommand(std::uint32_t code, const AtaCommandRequest& request);

}  // namespace halvoric
