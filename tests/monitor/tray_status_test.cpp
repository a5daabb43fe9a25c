// SPDX-License-Identifier: GPL-3.0-or-later
// The drive status report when the window goes to the tray.
#include <memory>

#include "tests/monitor/monitor_fakes.h"

namespace halvoric::testing {
namespace {

struct ReportCase {
  const char* Name;
  std::string Scenario;
  std::vector<DriveNumber> Rows;
  std::size_t DriveCount;
  bool DiskStatus;
  std::vector<std::string> Balloons;
  std::vector<std::string> Cells;                 // the "Temp" cells rewritten
  std::optional<SelfTestProgress> SelfTest = {};  // running on the first row's drive
};

class StatusReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(StatusReportTest, ShowsEachDriveAndRewritesTheTempCells) {
  const ReportCase& c = GetParam();
  sim::SimulatedDisks disks(ScenarioOrFail(c.Scenario));
  DriveReader drives(disks);
  FakeWindow window;
  window.Listed = c.Rows;
  Settings settings;
  settings.DiskStatus = c.DiskStatus;
  LastReadings last;
  if (c.SelfTest) last[c.Rows.front()].SelfTest = c.SelfTest;
  TrayStatusReport(window, settings, drives, last).WindowHidden(c.DriveCount);
  EXPECT_EQ(window.Balloons, c.Balloons);
  EXPECT_EQ(window.TempCells, c.Cells);
  if (!c.Balloons.empty()) {
    EXPECT_EQ(window.BalloonSeconds, 10);
  }
}

const std::string kTwoDrives =
    "[drive 0]\nmodel = A\nattribute = 194 value=59 worst=50 raw=41\n"
    "[drive 2]\nmodel = B\nattribute = 194 value=62 worst=50 raw=38\n";

// Six drives with models of 36 characters at 30 to 35 degrees:
// the balloon holds four drives' lines, and counts the others.
std::string ModelOf(int n) { return "M" + std::to_string(n) + std::string(34, '-'); }
std::string SixDrives() {
  std::string text;
  for (int n = 0; n < 6; ++n) {
    text += "[drive " + std::to_string(n) + "]\nmodel = " + ModelOf(n) +
            "\nattribute = 194 value=60 worst=50 raw=3" + std::to_string(n) + "\n";
  }
  return text;
}
std::string Line(int n) {
  return ModelOf(n) + "\rTemp: 3" + std::to_string(n) + kDegrees + ", OK\r";
}
const std::string kFourLines = Line(0) + Line(1) + Line(2) + Line(3);

INSTANTIATE_TEST_SUITE_P(
    Drives, StatusReportTest,
    ::testing::Values(
        ReportCase{"TwoDrivesByTheirNumbers",
                   kTwoDrives,
                   {0, 2},
                   2,
                   true,
                   {"A\rTemp: 41" + kDegrees + ", OK\r",
                    "A\rTemp: 41" + kDegrees + ", OK\r" + "B\rTemp: 38" + kDegrees + ", OK\r"},
                   {"41" + kDegrees, "38" + kDegrees}},
        ReportCase{"ARunningSelfTest",
                   kTwoDrives,
                   {0},
                   1,
                   true,
                   {"A\rTemp: 41" + kDegrees + ", OK\rExtended self-test: 70% left\r"},
                   {"41" + kDegrees},
                   SelfTestProgress{"extended", 70}},
        ReportCase{"WithoutTemperature",
                   "[drive 0]\nmodel = Cool\nattribute = 5 value=100 threshold=10\n",
                   {0},
                   1,
                   true,
                   {"Cool\rTemp: N/A, OK\r"},
                   {"N/A"}},
        ReportCase{
            "VerdictWithItsReasons",
            "[drive 0]\nmodel = Worn\nattribute = 5 threshold=10 raw=8\n"
            "attribute = 197 raw=2\nattribute = 194 raw=41\n"
            "[drive 1]\nmodel = Mute\nfail = read-data\n",
            {0, 1},
            2,
            true,
            {"Worn\rTemp: 41" + kDegrees + ", WARN: 8 reallocated sectors; 2 pending sectors\r",
             "Worn\rTemp: 41" + kDegrees + ", WARN: 8 reallocated sectors; 2 pending sectors\r" +
                 "Mute\rTemp: N/A, N/A\r"},
            {"41" + kDegrees, "N/A"}},
        ReportCase{"OnlyTheScannedCount",
                   kTwoDrives,
                   {0, 2},
                   1,
                   true,
                   {"A\rTemp: 41" + kDegrees + ", OK\r"},
                   {"41" + kDegrees}},
        ReportCase{"DiskStatusOff", kTwoDrives, {0, 2}, 2, false, {}, {}},
        ReportCase{"SixDrivesTheLastTwoCounted",
                   SixDrives(),
                   {0, 1, 2, 3, 4, 5},
                   6,
                   true,
                   {Line(0), Line(0) + Line(1), Line(0) + Line(1) + Line(2), kFourLines,
                    kFourLines + "(1 more drive in the drive list)\r",
                    kFourLines + "(2 more drives in the drive list)\r"},
                   {"30" + kDegrees, "31" + kDegrees, "32" + kDegrees, "33" + kDegrees,
                    "34" + kDegrees, "35" + kDegrees}}),
    [](const auto& info) { return std::string(info.param.Name); });

// A disk in standby, or runtime-suspended by the kernel, is not woken for
// the balloon: its line shows what it said last, and its "Temp" cell keeps
// its text.
TEST(StatusReport, ADiskInStandbyIsReportedFromItsLastReading) {
  sim::SimulatedDisks disks(ScenarioOrFail(
      "[drive 0]\nmodel = A\nattribute = 194 value=59 worst=50 raw=41\npower = standby\n"
      "[drive 1]\nmodel = B\nattribute = 194 value=62 worst=50 raw=38\npower = standby\n"
      "[drive 2]\nmodel = C\nattribute = 194 value=62 worst=50 raw=36\n"
      "[drive 5]\nmodel = F\nattribute = 194 value=62 worst=50 raw=35\nruntime-suspend = "
      "always\n"));
  DriveReader drives(disks);
  FakeWindow window;
  window.Listed = {0, 1, 2, 5};
  Settings settings;
  settings.DiskStatus = true;
  LastReadings last;
  last[0].Model = Padded("A");
  last[0].Temperature = "39" + kDegrees;
  last[0].State = Status::Ok;
  last[1].Model = Padded("B");
  last[5].Model = Padded("F");
  last[5].Temperature = "37" + kDegrees;
  last[5].State = Status::Warn;
  last[5].Reasons = {"1 pending sectors"};
  disks.ClearEvents();
  TrayStatusReport(window, settings, drives, last).WindowHidden(4);
  ASSERT_EQ(window.Balloons.size(), 4u);
  EXPECT_EQ(window.Balloons.back(), "A\rTemp: 39" + kDegrees + " (standby), OK\r" +
                                        "B\rTemp: N/A (standby), N/A\r" + "C\rTemp: 36" + kDegrees +
                                        ", OK\r" + "F\rTemp: 37" + kDegrees +
                                        " (standby), WARN: 1 pending sectors\r");
  EXPECT_EQ(window.TempCells, (std::vector<std::string>{"", "", "36" + kDegrees}));
  // Opening the runtime-suspended disk would count as waking it.
  for (const sim::RecordedEvent& event : disks.Events()) EXPECT_FALSE(event.Woke);
}

}  // namespace
}  // namespace halvoric::testing
