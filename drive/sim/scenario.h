// SPDX-License-Identifier: GPL-3.0-or-later
// Simulated drives described in a human-writable scenario file. The format is
// documented in docs/scenarios.md.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/result.h"
#include "drive/ata_blocks.h"
#include "drive/power_mode.h"
#include "drive/sim/sim_hardware.h"
#include "drive/sim/sim_nvme.h"
#include "drive/temperature_limits.h"

namespace halvoric::sim {

using Sector = std::array<std::uint8_t, kSectorSize>;

// A request or event a drive can be told to fail.
enum class Fault {
  Open,
  Version,
  Enable,
  Identify,
  ReadData,
  ReadThresholds,
  PowerCheck,
  ReturnStatus,
  SctStatus,
  SelfTest,  // starting or aborting one
  SelfTestLog,
  ErrorLog,
};

// Where the drive reports its temperature schedule.
enum class TemperatureHome : std::uint8_t { Attribute194, Attribute190, SctStatus };

struct SimAttribute {
  std::uint8_t Id = 0;
  std::uint16_t Flags = 0x0003;
  std::uint8_t Value = 100;
  std::uint8_t Worst = 100;
  std::uint8_t Threshold = 0;
  std::uint64_t Raw = 0;      // 48 bits, little-endian in the table
  std::uint8_t Reserved = 0;  // the byte after them, which some raw formats read
};

// From `AtSeconds` on (since the simulation started) the drive reports
// `Celsius`, until the next point.
struct TemperaturePoint {
  double AtSeconds = 0;
  int Celsius = 0;
};

// From `AtSeconds` on, attribute `Id` reports the fields given, until a
// later change of the same attribute.
struct AttributeChange {
  double AtSeconds = 0;
  std::uint8_t Id = 0;
  std::optional<std::uint8_t> Value;
  std::optional<std::uint8_t> Worst;
  std::optional<std::uint64_t> Raw;
};

// A self-test the drive logged: its subcommand, the status nibble it ended
// with, the drive's power-on hours then and the LBA it failed at.
struct SimSelfTestEntry {
  std::uint8_t Subcommand = 1;
  std::uint8_t Status = 0;
  std::uint32_t Hours = 0;
  std::uint64_t Lba = 0;
};

// From `AtSeconds` on the drive has counted `Count` errors.
struct ErrorCountPoint {
  double AtSeconds = 0;
  std::uint32_t Count = 0;
};

// From `FromSeconds` until `ToSeconds` (for ever without it).
struct TimeSpan {
  double FromSeconds = 0;
  std::optional<double> ToSeconds;
};

// The drive is in `Mode` (Standby or Sleep) during the span; outside every
// span it is active.
struct PowerSpan : TimeSpan {
  PowerMode Mode = PowerMode::Standby;
};

struct SimDrive {
  unsigned Number = 0;
  bool Packet = false;  // an ATAPI device
  // An NVMe drive: it answers from these through the NVMe translation.
  std::optional<SimNvme> Nvme;
  std::string Model;
  std::string Serial;
  std::string Firmware;
  std::uint16_t Cylinders = 16383;
  std::uint16_t Heads = 16;
  std::uint16_t SectorsPerTrack = 63;
  // IDENTIFY word 217: 0 unknown, 1 no rotating media, else the speed.
  std::uint16_t RotationRate = 0;
  std::optional<SimHardware> Hardware;  // none: IDENTIFY names no size or link
  std::vector<SimAttribute> Attributes;
  std::vector<TemperaturePoint> Temperatures;
  std::vector<AttributeChange> Changes;  // in file order, each ID's in increasing time
  std::vector<PowerSpan> PowerSpans;     // in increasing time, not overlapping
  // When the kernel holds the disk runtime-suspended; the same order.
  std::vector<TimeSpan> SuspendSpans;
  std::set<Fault> Faults;
  TemperatureHome TemperatureIn = TemperatureHome::Attribute194;
  bool Failing = false;             // SMART RETURN STATUS says it is failing
  bool ThresholdsReversed = false;  // the threshold table lists the IDs backwards
  bool PermissionDenied = false;
  unsigned DelayMs = 0;         // how long every request takes
  double DelayFromSeconds = 0;  // and from when
  TemperatureLimits Limits;     // as the kernel's hwmon would show them
  // Self-tests: which it runs, how long one runs here, where one started
  // here fails (none: it passes), what its log held before.
  bool RunsSelfTests = true;
  bool RunsConveyance = false;
  unsigned SelfTestSeconds = 30;
  std::optional<std::uint64_t> SelfTestFailsAt;
  std::vector<SimSelfTestEntry> SelfTestLog;  // oldest first
  std::vector<ErrorCountPoint> ErrorCounts;   // in increasing time
  // Recorded sectors replace the generated ones.
  std::optional<Sector> IdentifySector;
  std::optional<Sector> DataSector;
  std::optional<Sector> ThresholdSector;

  bool Fails(Fault f) const { return Faults.count(f) != 0; }
  // The temperature reported at `seconds`, if the drive has a schedule.
  std::optional<int> TemperatureAt(double seconds) const;
  std::uint32_t ErrorCountAt(double seconds) const;
  // The span of the schedule that holds `seconds`, if any.
  const PowerSpan* PowerSpanAt(double seconds) const;
  bool RuntimeSuspendedAt(double seconds) const;
};

struct Scenario {
  std::vector<SimDrive> Drives;
  const SimDrive* Find(unsigned number) const;
};

// `origin` names the text in messages ("file:line: what is wrong");
// relative sector files are looked up in `baseDirectory`.
Result<Scenario> ParseScenario(const std::string& text, const std::string& origin,
                               const std::string& baseDirectory);
Result<Scenario> LoadScenario(const std::string& path);

// The sectors a drive answers with at `seconds`: the data sector with the
// attribute changes due by then and the temperature of that moment.
Sector BuildIdentifySector(const SimDrive& drive);
Sector BuildDataSector(const SimDrive& drive, double seconds);
Sector BuildThresholdSector(const SimDrive& drive);
// The SCT status log at `seconds`; its temperature only for a drive that
// keeps it there.
Sector BuildSctStatusSector(const SimDrive& drive, double seconds);
// Sets the last byte so that the sector's bytes add up to 0.
void SealSector(Sector& s);

}  // namespace halvoric::sim
