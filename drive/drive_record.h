// SPDX-License-Identifier: GPL-3.0-or-later
// One drive as a single read sees it: identity, temperature, attribute table,
// power mode and why anything is missing. The command-line tool's JSON and
// any other machine-readable report are written from this record, so they
// all agree on what a drive reported.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "drive/channel.h"
#include "drive/device_facts.h"
#include "drive/disk_control.h"
#include "drive/drive_access.h"
#include "drive/drive_logs.h"
#include "drive/drive_reader.h"
#include "drive/power_mode.h"
#include "drive/row_sinks.h"
#include "drive/summary.h"

namespace halvoric {

// A figure the drive did not report (the level builds it, or its read
// failed) is absent, never a stand-in number.
struct AttributeRecord {
  std::uint8_t Id = 0;
  std::string Name;  // as the SMART Info page shows it, blank-padded
  std::optional<std::int32_t> Value;
  std::optional<std::int32_t> Worst;
  std::optional<std::int32_t> Threshold;
  std::uint64_t Raw = 0;      // the 48-bit raw value
  Status State = Status::Ok;  // the SMART Info page's Status
  std::string SmartctlName;   // as smartctl spells it: "Reallocated_Sector_Ct"
  std::uint16_t Flags = 0;    // the entry's status flags
  std::string RawText;        // the raw value as the drive means it
};

struct DriveRecord {
  DriveNumber Number = 0;
  // Why the open failed; None when it opened. NotFound means no drive.
  OpenError OpenFailure = OpenError::None;
  AccessLevel Level = AccessLevel::Unknown;
  PowerMode Power = PowerMode::Unknown;  // asked before any other command
  // Found in standby or asleep and left so: nothing after CHECK POWER MODE
  // was sent, and no figure below is known.
  bool LeftAsleep = false;

  // As the drive sent them, blank padding included; absent without IDENTIFY.
  std::optional<std::string> Model;
  std::optional<std::string> Serial;
  std::optional<std::string> Firmware;
  // The drive database's family and warning for the model; empty for none.
  std::string Family;
  std::string ModelWarning;
  // Size, sector sizes, rotation, link and standards, as IDENTIFY says them.
  DeviceFacts Facts;

  // Read means the attribute table came back; ReadError says why not.
  bool SmartRead = false;
  std::string ReadError;
  std::vector<AttributeRecord> Attributes;
  bool ThresholdsRead = false;
  // Whose rules judge the table: an NVMe drive's says itself what is wrong.
  TableSource Source = TableSource::Ata;

  std::optional<std::int32_t> Temperature;  // degrees Celsius
  // The drive's own warning and critical limits (Identify Controller of an
  // NVMe drive, else hwmon), in degrees Celsius.
  std::optional<std::int32_t> DriveWarning;
  std::optional<std::int32_t> DriveCritical;
  // The drive list's row figures, exactly as the list computes them.
  DriveSummary Summary;
  // Its self-test and logs, where a reader asked for them after the record
  // (ReadDriveLogs); empty otherwise.
  DriveLogs Logs;

  // The drive's answer to SMART RETURN STATUS where it gave one; else every
  // reported figure above its threshold, absent when the table was not read
  // or the level reports no thresholds. An NVMe table passes when every row
  // is OK by NVMe's rules.
  std::optional<bool> Passed() const;
};

// What a read does with a disk that CHECK POWER MODE finds spun down.
enum class SleepingDrive {
  Wake,   // reads it all the same: the user asked for this drive now
  Leave,  // stops there, for readers that run unattended on a schedule
};

// Whether the record's series reads the drive's logs too (DriveRecord::Logs):
// one open of the drive instead of two, for a run over many drives.
enum class RecordLogs { Leave, Read };

// Opens drive `n` once: CHECK POWER MODE, then the identify and SMART series.
// `access` tells the level the open got (none: the drive answers ATA
// commands, as simulated drives do).
DriveRecord ReadDriveRecord(DriveReader& reader, DriveNumber n, const DriveAccess* access,
                            SleepingDrive sleeping = SleepingDrive::Wake,
                            RecordLogs logs = RecordLogs::Leave);

}  // namespace halvoric
