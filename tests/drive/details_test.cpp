// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "drive/drive_reader.h"
#include "recording_sinks.h"
#include "sim_helpers.h"

namespace halvoric {
namespace {

using test::RecordingSinks;
using test::ScenarioFrom;

constexpr const char* kDrives = R"(
[drive 0]
model = Healthy Disk
serial = S0
firmware = F0
attribute = 5 value=100 worst=100 threshold=36
attribute = 194 value=112 worst=95 threshold=0 raw=38
[drive 1]
model = No Identify
fail = identify
attribute = 9 value=99 worst=99 threshold=0 raw=1234
[drive 2]
model = No Data
fail = read-data
attribute = 9 value=99
[drive 3]
model = No Thresholds
fail = read-thresholds enable
attribute = 9 value=99 threshold=10
attribute = 10 value=0 threshold=10
)";

class Details : public ::testing::Test {
 protected:
  sim::SimulatedDisks disks{ScenarioFrom(kDrives)};
  DriveReader reader{disks};
  RecordingSinks sinks;

  void Prefill() {
    sinks.AppendDiskInfoRow({"old", "row"});
    sinks.AppendSmartInfoRow({"01", "old", "0", "0", "0", "0", Status::Ok, ""});
  }
};

TEST_F(Details, HealthyDriveFillsBothPages) {
  Prefill();
  reader.ReadDriveDetails("0", sinks, sinks);
  EXPECT_EQ(sinks.diskInfo.size(), 13u);
  EXPECT_EQ(sinks.DiskInfoValue("IDE HDD 0"), "S.M.A.R.T supported");
  ASSERT_EQ(sinks.smartInfo.size(), 2u);
  EXPECT_EQ(sinks.smartInfo[1].Id, "C2");
  EXPECT_EQ(sinks.smartInfo[1].Raw, "38");
  EXPECT_EQ(disks.OpenHandles(), 0u);
}

TEST_F(Details, DriveThatCannotBeOpenedLeavesBothPages) {
  Prefill();
  reader.ReadDriveDetails("7", sinks, sinks);
  EXPECT_EQ(sinks.diskInfo.size(), 1u);
  EXPECT_EQ(sinks.smartInfo.size(), 1u);
  ASSERT_EQ(disks.Events().size(), 1u);  // the open alone
}

TEST_F(Details, FailedIdentifyEmptiesDiskInfoButShowsAttributes) {
  Prefill();
  reader.ReadDriveDetails("1", sinks, sinks);
  EXPECT_TRUE(sinks.diskInfo.empty());
  ASSERT_EQ(sinks.smartInfo.size(), 1u);
  EXPECT_EQ(sinks.smartInfo[0].Raw, "1234");
}

TEST_F(Details, FailedReadDataLeavesSmartInfoEmptyAndSkipsThresholds) {
  Prefill();
  reader.ReadDriveDetails("2", sinks, sinks);
  EXPECT_EQ(sinks.diskInfo.size(), 13u);
  EXPECT_TRUE(sinks.smartInfo.empty());
  const auto requests = test::ControlEvents(disks);
  EXPECT_EQ(requests.back().Request.Features, kSmartReadData);
}

TEST_F(Details, FailedThresholdsReadAsZeroAndFailedEnableDropsTheMark) {
  reader.ReadDriveDetails("3", sinks, sinks);
  EXPECT_EQ(sinks.DiskInfoValue("IDE HDD 3"), "<none>");
  EXPECT_EQ(sinks.DiskInfoValue("Drive/Head"), "176");
  ASSERT_EQ(sinks.smartInfo.size(), 2u);
  EXPECT_EQ(sinks.smartInfo[0].Threshold, "0");
  EXPECT_EQ(sinks.smartInfo[0].State, Status::Ok);
  EXPECT_EQ(sinks.smartInfo[1].State, Status::Ok);  // a threshold of 0 never fails
}

TEST_F(Details, DriveRowsOfTheScan) {
  DriveSummary summary;
  reader.GetDriveSummary(0, summary);
  AddDriveRow(sinks, 0, reader.GetDriveModel(0), summary);
  reader.GetDriveSummary(1, summary);
  AddDriveRow(sinks, 1, reader.GetDriveModel(1), summary);
  ASSERT_EQ(sinks.drives.size(), 2u);
  EXPECT_EQ(sinks.drives[0].Id, "0");
  EXPECT_EQ(sinks.drives[0].Model, "Healthy Disk" + std::string(28, ' '));
  EXPECT_EQ(sinks.drives[0].Temp, "38\xC2\xB0" "C");
  EXPECT_EQ(sinks.drives[0].State, Status::Ok);
  EXPECT_TRUE(sinks.drives[0].Checked);
  EXPECT_EQ(sinks.drives[1].Model, "");
  EXPECT_EQ(sinks.drives[1].Temp, "N/A");
  EXPECT_EQ(sinks.drives[1].State, Status::Ok);
}

}  // namespace
}  // namespace halvoric
