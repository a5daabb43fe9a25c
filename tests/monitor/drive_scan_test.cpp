// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up scan's line about drives whose own critical temperature lies
// below the user's, on simulated drives naming their limits.
#include "monitor/drive_scan.h"

#include "drive/collecting_sinks.h"
#include "tests/monitor/monitor_fakes.h"

namespace halvoric::testing {
namespace {

TEST(DriveScanTest, JournalsEachDriveCriticalBelowTheWarning) {
  sim::SimulatedDisks disks(ScenarioOrFail(
      "[drive 0]\nmodel = Cool Disk\nattribute = 194 value=100 worst=90 raw=0\ntemperature = 40\n"
      "[drive 1]\nmodel = Hot\x1b[2J Disk\nattribute = 194 value=100 worst=90 raw=0\n"
      "temperature = 40\n"
      "[drive 2]\nmodel = Silent Disk\nattribute = 194 value=100 worst=90 raw=0\n"
      "temperature = 40\n"));
  DrivesWithLimits limited(disks);
  limited.Limits[0].Critical = 75;
  limited.Limits[1] = {.Warning = 65, .Critical = 70};
  DriveReader reader(limited);
  CollectingSinks rows;
  const struct {
    int critical;
    std::vector<std::string> lines;
  } cases[] = {
      {70, {}},  // at the drive's own critical temperature: not above it
      {75,
       {"Drive 1 (Hot?[2J Disk) says it is critical at 70" + kDegrees +
        "; the warning is set to 75" + kDegrees}},
      {90,
       {"Drive 0 (Cool Disk) says it is critical at 75" + kDegrees + "; the warning is set to 90" +
            kDegrees,
        "Drive 1 (Hot?[2J Disk) says it is critical at 70" + kDegrees +
            "; the warning is set to 90" + kDegrees}},
  };
  for (const auto& c : cases) {
    RecordingJournal journal;
    LastReadings last;
    DriveScan scan(reader, nullptr, {rows, rows, rows}, journal, last);
    scan.ScanDrives();
    scan.JournalDriveLimits(c.critical);
    EXPECT_EQ(journal.Lines, c.lines) << c.critical;
  }
}

// Every drive number is scanned, up to 255; disks past the last number are
// said once.
TEST(DriveScanTest, ScansEveryNumberAndJournalsDisksPastTheLast) {
  sim::SimulatedDisks disks(
      ScenarioOrFail("[drive 4]\nmodel = Fifth\n[drive 255]\nmodel = Last\n"));
  DrivesWithLimits counted(disks);
  DriveReader reader(counted);
  for (const std::optional<unsigned> count : {std::optional<unsigned>(), std::optional(300u)}) {
    counted.Count = count;
    CollectingSinks rows;
    RecordingJournal journal;
    LastReadings last;
    DriveScan scan(reader, nullptr, {rows, rows, rows}, journal, last);
    scan.ScanDrives();
    ASSERT_EQ(scan.DriveCount(), 2u);
    EXPECT_EQ(rows.drives[0].Id + " " + rows.drives[1].Id, "4 255");
    const std::vector<std::string> past = {
        "This machine has 300 disks; drive numbers end at 255, so the 44 after the first 256 "
        "are not listed or watched"};
    EXPECT_EQ(journal.Lines, count ? past : std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace halvoric::testing
