// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_record.h"

#include <gtest/gtest.h>

#include "drive/collecting_sinks.h"
#include "sim_helpers.h"

namespace halvoric {
namespace {

using test::ScenarioFrom;

constexpr const char* kDrives = R"(
[drive 0]
model = Healthy Disk
serial = S0
firmware = F0
attribute = 5 value=100 worst=100 threshold=36
attribute = 194 value=112 worst=95 threshold=0 raw=38
[drive 1]
fail = identify
attribute = 9 value=99 worst=99 threshold=0 raw=1234
[drive 2]
model = No Data
fail = read-data
attribute = 194 raw=40
[drive 3]
model = No Thresholds
fail = read-thresholds
attribute = 9 value=5 threshold=10
[drive 7]
model = Silent
fail = read-thresholds return-status
attribute = 9 value=5 threshold=10
[drive 4]
model = Locked
permission = denied
[drive 5]
model = Worn
attribute = 5 value=36 worst=36 threshold=36 raw=2048
[drive 6]
fail = identify read-data
[drive 9]
model = Airflow Only
temperature-in = 190
attribute = 190 value=64 worst=50 threshold=0 raw=0x2A00140024
attribute = 199 value=200 worst=200 threshold=0 raw=12
[drive 10]
model = SCT Only
temperature-in = sct
attribute = 9 value=99 worst=99 threshold=0 raw=10
temperature = 0:41
[drive 11]
model = Says Failing
smart-status = failing
attribute = 194 value=112 worst=95 threshold=0 raw=30
[drive 12]
model = Thresholds Backwards
thresholds = reversed
fail = return-status
attribute = 5 value=20 worst=20 threshold=36 raw=700
attribute = 1 value=100 worst=100 threshold=6
attribute = 194 value=112 worst=95 threshold=0 raw=30
)";

// One row per kind of drive: what a script must be able to tell apart. A
// failed threshold read must leave no verdict of the table's, not
// thresholds of 0: the drive's own status still says whether it passes.
TEST(ReadDriveRecord, SaysWhatWasReadAndWhyNot) {
  const struct {
    DriveNumber n;
    OpenError open;
    std::optional<std::string> model;
    bool smartRead;
    std::string readError;
    std::optional<std::int32_t> temperature;
    std::optional<bool> passed;
    std::size_t attributes;
  } cases[] = {
      {0, OpenError::None, "Healthy Disk", true, "", 38, true, 2},
      {1, OpenError::None, std::nullopt, true, "", std::nullopt, true, 1},
      {2, OpenError::None, "No Data", false, "the drive did not answer SMART READ DATA",
       std::nullopt, std::nullopt, 0},
      {3, OpenError::None, "No Thresholds", true, "", std::nullopt, false, 1},
      {7, OpenError::None, "Silent", true, "", std::nullopt, std::nullopt, 1},
      {4, OpenError::PermissionDenied, "Locked", false, "cannot be opened: Permission denied",
       std::nullopt, std::nullopt, 0},
      {5, OpenError::None, "Worn", true, "", std::nullopt, false, 1},
      {6, OpenError::None, std::nullopt, false,
       "the drive answered neither IDENTIFY nor SMART READ DATA", std::nullopt, std::nullopt, 0},
      {8, OpenError::NotFound, std::nullopt, false, "", std::nullopt, std::nullopt, 0},
      // Temperatures without 194: the airflow's low raw byte, else SCT.
      {9, OpenError::None, "Airflow Only", true, "", 36, true, 2},
      {10, OpenError::None, "SCT Only", true, "", 41, true, 1},
      // The drive's own status wins over a table that passes.
      {11, OpenError::None, "Says Failing", true, "", 30, false, 1},
      // Paired by ID, 5 is at 20 against its 36, not against 194's 0.
      {12, OpenError::None, "Thresholds Backwards", true, "", 30, false, 3},
  };
  sim::SimulatedDisks disks{ScenarioFrom(kDrives)};
  DriveReader reader{disks};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.n));
    const DriveRecord record = ReadDriveRecord(reader, c.n, nullptr);
    EXPECT_EQ(record.Number, c.n);
    EXPECT_EQ(record.OpenFailure, c.open);
    if (c.model) {
      ASSERT_TRUE(record.Model);
      EXPECT_EQ(record.Model->substr(0, c.model->size()), *c.model);
      // The drive's padding kept for the text list; the kernel's model has none.
      if (c.open == OpenError::None) {
        EXPECT_EQ(record.Model->size(), kIdentifyModelLength);
      }
    } else {
      EXPECT_FALSE(record.Model && !record.Model->empty());
    }
    EXPECT_EQ(record.SmartRead, c.smartRead);
    if (c.open != OpenError::NotFound) {
      EXPECT_EQ(record.ReadError.starts_with(c.readError), true) << record.ReadError;
      EXPECT_EQ(record.ReadError.empty(), c.smartRead);
    }
    EXPECT_EQ(record.Temperature, c.temperature);
    EXPECT_EQ(record.Passed(), c.passed);
    EXPECT_EQ(record.Attributes.size(), c.attributes);
    EXPECT_FALSE(record.DriveWarning);
    EXPECT_FALSE(record.DriveCritical);
  }
  EXPECT_EQ(disks.OpenHandles(), 0u);
  // CRC errors point at the cable: said, but no warning.
  const DriveSummary cable = ReadDriveRecord(reader, 9, nullptr).Summary;
  EXPECT_EQ(cable.Health, Status::Ok);
  EXPECT_EQ(cable.Reasons, std::vector<std::string>{"12 UDMA CRC errors (check the cable)"});
}

// The list's columns come from the same read: the text output must not
// change because the JSON is built from a record.
TEST(ReadDriveRecord, SummaryIsTheDriveListsOwn) {
  sim::SimulatedDisks disks{ScenarioFrom(kDrives)};
  DriveReader reader{disks};
  for (const DriveNumber n : {0, 2, 5, 6}) {
    DriveSummary summary;
    reader.GetDriveSummary(n, summary);
    const DriveRecord record = ReadDriveRecord(reader, n, nullptr);
    EXPECT_EQ(record.Summary.Temperature, summary.Temperature) << int(n);
    EXPECT_EQ(record.Summary.Health, summary.Health) << int(n);
    EXPECT_EQ(record.Model.value_or(""), reader.GetDriveModel(n)) << int(n);
  }
}

class FixedLevel final : public DriveAccess {
 public:
  explicit FixedLevel(AccessLevel level) : level_(level) {}
  AccessLevel LevelOf(DriveNumber) const override { return level_; }
  AccessReport Report() const override { return {}; }

 private:
  AccessLevel level_;
};

// Where the program builds the table itself, its made-up figures are absent
// in the record exactly where the detail page shows "-".
TEST(ReadDriveRecord, FiguresTheLevelMakesUpAreAbsentAsOnTheDetailPage) {
  const std::string scenario = R"(
[drive 0]
model = Built
fail = return-status
attribute = 194 value=40 worst=40 threshold=0 raw=40
attribute = 0x60 value=100 worst=100 threshold=10 raw=100
attribute = 0x61 value=3 worst=3 threshold=0 raw=3
[drive 1]
model = Without a table
fail = read-data
)";
  for (const AccessLevel level : {AccessLevel::Ata, AccessLevel::Limited, AccessLevel::Nvme}) {
    SCOPED_TRACE(int(level));
    sim::SimulatedDisks disks{ScenarioFrom(scenario)};
    DriveReader reader{disks};
    const FixedLevel access(level);
    const DriveRecord record = ReadDriveRecord(reader, 0, &access);
    EXPECT_EQ(record.Level, level);
    CollectingSinks rows;
    ReportedFigureRows shown(level, rows, rows);
    reader.ReadDriveDetails(0, shown, shown);
    ASSERT_EQ(record.Attributes.size(), rows.smartInfo.size());
    for (std::size_t i = 0; i < rows.smartInfo.size(); ++i) {
      const SmartInfoRow& row = rows.smartInfo[i];
      const AttributeRecord& attribute = record.Attributes[i];
      EXPECT_EQ(row.Value == "-", !attribute.Value) << row.Id;
      EXPECT_EQ(row.Worst == "-", !attribute.Worst) << row.Id;
      EXPECT_EQ(row.Threshold == "-", !attribute.Threshold) << row.Id;
      EXPECT_EQ(row.State, attribute.State) << row.Id;
    }
    // Sysfs gives no threshold to judge by; the NVMe log gives the spare's.
    EXPECT_EQ(record.Passed(),
              level == AccessLevel::Limited ? std::nullopt : std::optional<bool>(true));
    // Without rights no command reached the drive: the reason must not
    // blame the drive.
    const DriveRecord unread = ReadDriveRecord(reader, 1, &access);
    EXPECT_EQ(unread.ReadError.starts_with("no right to send ATA commands"),
              level == AccessLevel::Limited)
        << unread.ReadError;
  }
}

// A reader on a schedule must not spin a disk up: with Leave, a drive in
// standby or asleep gets CHECK POWER MODE and nothing else, while a drive
// whose mode cannot be told is read as ever.
TEST(ReadDriveRecord, LeavesASpunDownDiskAsleepWhenAsked) {
  const std::string scenario = R"(
[drive 0]
model = Resting
power = standby
attribute = 194 raw=30
[drive 1]
model = Deep
power = sleep
attribute = 194 raw=31
[drive 2]
model = Behind A Bridge
fail = power-check
attribute = 194 raw=32
)";
  const struct {
    DriveNumber n;
    SleepingDrive sleeping;
    PowerMode power;
    bool leftAsleep;
    bool woke;
  } cases[] = {
      {0, SleepingDrive::Leave, PowerMode::Standby, true, false},
      {1, SleepingDrive::Leave, PowerMode::Sleep, true, false},
      {2, SleepingDrive::Leave, PowerMode::Unknown, false, false},
      {0, SleepingDrive::Wake, PowerMode::Standby, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.n));
    sim::SimulatedDisks disks{ScenarioFrom(scenario)};
    DriveReader reader{disks};
    const DriveRecord record = ReadDriveRecord(reader, c.n, nullptr, c.sleeping);
    EXPECT_EQ(record.Power, c.power);
    EXPECT_EQ(record.LeftAsleep, c.leftAsleep);
    EXPECT_EQ(record.SmartRead, !c.leftAsleep);
    EXPECT_EQ(record.Temperature.has_value(), !c.leftAsleep);
    if (c.leftAsleep) {
      EXPECT_EQ(record.ReadError,
                std::string("the drive is in ") + PowerModeName(c.power) + " and was not woken");
      EXPECT_EQ(test::ControlEvents(disks).size(), 1u);
    }
    bool woke = false;
    for (const auto& event : test::ControlEvents(disks)) woke = woke || event.Woke;
    EXPECT_EQ(woke, c.woke);
    EXPECT_EQ(disks.OpenHandles(), 0u);
  }
}

}  // namespace
}  // namespace halvoric
