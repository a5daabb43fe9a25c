// SPDX-License-Identifier: GPL-3.0-or-later
// Binary blocks exchanged with the disk control interface. Every field is a
// fixed-width byte or a little-endian integer at the offset given beside it;
// the static_asserts pin each block's size and key offsets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace halvoric {

// Control codes of the disk control interface.
inline constexpr std::uint32_t SMART_GET_VERSION = 0x74080;
inline constexpr std::uint32_t SMART_SEND_DRIVE_COMMAND = 0x7C084;
inline constexpr std::uint32_t SMART_RCV_DRIVE_DATA = 0x7C088;
// The drive's power mode, asked without waking it: the function number
// after the three SMART codes.
inline constexpr std::uint32_t CHECK_POWER_MODE = 0x7C08C;

// ATA command and feature register values of the series.
inline constexpr std::uint8_t kAtaIdentifyDevice = 0xEC;
inline constexpr std::uint8_t kAtaIdentifyPacketDevice = 0xA1;
inline constexpr std::uint8_t kAtaSmart = 0xB0;
inline constexpr std::uint8_t kAtaCheckPowerMode = 0xE5;
inline constexpr std::uint8_t kSmartEnableOperations = 0xD8;
inline constexpr std::uint8_t kSmartReadData = 0xD0;
inline constexpr std::uint8_t kSmartReadThresholds = 0xD1;
inline constexpr std::uint8_t kSmartReadLog = 0xD5;
inline constexpr std::uint8_t kSmartReturnStatus = 0xDA;
inline constexpr std::uint8_t kSmartCylinderLow = 0x4F;
inline constexpr std::uint8_t kSmartCylinderHigh = 0xC2;
// SMART RETURN STATUS answers with the signature in LBA mid and high while
// the drive is fine, and with these when it has crossed a threshold.
inline constexpr std::uint8_t kSmartFailingCylinderLow = 0xF4;
inline constexpr std::uint8_t kSmartFailingCylinderHigh = 0x2C;
// The SCT status the drive keeps in this log: its temperature now.
inline constexpr std::uint8_t kSctStatusLog = 0xE0;
inline constexpr std::size_t kSctStatusTemperature = 200;
// The logs a self-test and an error leave, and the command that starts and
// aborts a self-test in the drive's background (never the captive 81h-84h,
// which hold the drive busy until the test ends).
inline constexpr std::uint8_t kAtaReadLogExt = 0x2F;
inline constexpr std::uint8_t kSmartExecuteOffline = 0xD4;
inline constexpr std::uint8_t kSummaryErrorLog = 0x01;
inline constexpr std::uint8_t kExtendedErrorLog = 0x03;
inline constexpr std::uint8_t kSelfTestLog = 0x06;
inline constexpr std::uint8_t kExtendedSelfTestLog = 0x07;
inline constexpr std::uint8_t kOfflineShortTest = 0x01;
inline constexpr std::uint8_t kOfflineExtendedTest = 0x02;
inline constexpr std::uint8_t kOfflineConveyanceTest = 0x03;
inline constexpr std::uint8_t kOfflineAbortTest = 0x7F;

inline constexpr std::size_t kSectorSize = 512;

#pragma pack(push, 1)

// Answer to SMART_GET_VERSION (24 bytes).
struct VersionAnswer {
  std::uint8_t Version;            // 0
  std::uint8_t Revision;           // 1
  std::uint8_t Reserved;           // 2
  std::uint8_t IdeDeviceMap;       // 3: bit 4 + N set = position N holds a packet device
  std::uint32_t Capabilities;      // 4
  std::uint32_t ReservedWords[4];  // 8
};
static_assert(sizeof(VersionAnswer) == 24);
static_assert(offsetof(VersionAnswer, IdeDeviceMap) == 3);

// The request sent with every ATA control code (32 bytes).
struct AtaCommandRequest {
  std::uint32_t BufferSize;    // 0: 512 for data commands, 0 for commands without data
  std::uint8_t Features;       // 4
  std::uint8_t SectorCount;    // 5
  std::uint8_t SectorNumber;   // 6: LBA low
  std::uint8_t CylinderLow;    // 7: LBA mid
  std::uint8_t CylinderHigh;   // 8: LBA high
  std::uint8_t DriveHead;      // 9: device
  std::uint8_t Command;        // 10
  std::uint8_t Reserved1;      // 11
  std::uint8_t DriveNumber;    // 12
  std::uint8_t Reserved2[3];   // 13
  std::uint8_t Reserved3[16];  // 16
};
static_assert(sizeof(AtaCommandRequest) == 32);
static_assert(offsetof(AtaCommandRequest, Command) == 10);
static_assert(offsetof(AtaCommandRequest, DriveNumber) == 12);

// Header of a command result (16 bytes); SMART ENABLE answers with it alone.
struct AtaResultHeader {
  std::uint32_t BufferSize;    // 0: as returned by the driver
  std::uint8_t DriverError;    // 4
  std::uint8_t IdeError;       // 5: the drive's error register
  std::uint8_t Reserved1[2];   // 6
  std::uint32_t Reserved2[2];  // 8
};
static_assert(sizeof(AtaResultHeader) == 16);

// The result of a data command (528 bytes): header plus one sector.
struct AtaCommandResult {
  AtaResultHeader Header;          // 0
  std::uint8_t Data[kSectorSize];  // 16
};
static_assert(sizeof(AtaCommandResult) == 528);
static_assert(offsetof(AtaCommandResult, Data) == 16);

// Answer to a command without data (16 bytes): the error fields of the
// result header, then the registers the drive returned, where it answers
// in them (CHECK POWER MODE in the count, SMART RETURN STATUS in LBA mid
// and high). All zero where none came back.
struct RegisterAnswer {
  std::uint32_t BufferSize;  // 0: always 0, nothing is transferred
  std::uint8_t DriverError;  // 4: as in AtaResultHeader
  std::uint8_t IdeError;     // 5
  std::uint8_t SectorCount;  // 6: the power mode code of CHECK POWER MODE
  // 7: 1 when the backend knows the drive is asleep: a sleeping drive
  // answers nothing, so it was not asked and SectorCount means nothing.
  std::uint8_t Asleep;
  std::uint8_t SectorNumber;  // 8: LBA low
  std::uint8_t CylinderLow;   // 9: LBA mid
  std::uint8_t CylinderHigh;  // 10: LBA high
  std::uint8_t Status;        // 11
  std::uint32_t Reserved;     // 12
};
static_assert(sizeof(RegisterAnswer) == sizeof(AtaResultHeader));
static_assert(offsetof(RegisterAnswer, DriverError) == offsetof(AtaResultHeader, DriverError));
static_assert(offsetof(RegisterAnswer, IdeError) == offsetof(AtaResultHeader, IdeError));
static_assert(offsetof(RegisterAnswer, SectorCount) == 6);
static_assert(offsetof(RegisterAnswer, CylinderHigh) == 10);

// One entry of the SMART READ DATA table (12 bytes).
struct AttributeEntry {
  std::uint8_t Id;        // 0: 0 marks an empty entry
  std::uint8_t Flags[2];  // 1
  std::uint8_t Value;     // 3: current normalised value
  std::uint8_t Worst;     // 4: worst normalised value
  std::uint8_t Raw[6];    // 5: little-endian raw value
  std::uint8_t Reserved;  // 11
};
static_assert(sizeof(AttributeEntry) == 12);
static_assert(offsetof(AttributeEntry, Raw) == 5);

// One entry of the SMART READ ATTRIBUTE THRESHOLDS table (12 bytes).
struct ThresholdEntry {
  std::uint8_t Id;            // 0
  std::uint8_t Threshold;     // 1
  std::uint8_t Reserved[10];  // 2
};
static_assert(sizeof(ThresholdEntry) == 12);

#pragma pack(pop)

// Both SMART tables hold 30 entries starting at data byte 2.
inline constexpr std::size_t kTableEntries = 30;
inline constexpr std::size_t kTableOffset = 2;
static_assert(kTableOffset + (kTableEntries + 1) * sizeof(AttributeEntry) <= kSectorSize,
              "the summary may read one entry behind a full table");

// IDENTIFY data layout (byte offsets within the 512-byte sector).
inline constexpr std::size_t kIdentifyCylinders = 2;         // word 1
inline constexpr std::size_t kIdentifyHeads = 6;             // word 3
inline constexpr std::size_t kIdentifySectorsPerTrack = 12;  // word 6
inline constexpr std::size_t kIdentifySerial = 20;           // words 10..19
inline constexpr std::size_t kIdentifySerialLength = 20;
inline constexpr std::size_t kIdentifyFirmware = 46;  // words 23..26
inline constexpr std::size_t kIdentifyFirmwareLength = 8;
inline constexpr std::size_t kIdentifyModel = 54;  // words 27..46
inline constexpr std::size_t kIdentifyModelLength = 40;
inline constexpr std::size_t kIdentifyRotationRate = 434;  // word 217

}  // namespace halvoric
