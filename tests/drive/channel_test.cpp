// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>

#include "drive/drive_reader.h"
#include "sim_helpers.h"

namespace halvoric {
namespace {

using sim::RecordedEvent;
using test::ControlEvents;
using test::ScenarioFrom;

constexpr const char* kFourDrives = R"(
[drive 0]
model = Zero
attribute = 194 value=60 worst=50 threshold=0 raw=40
[drive 1]
model = One
[drive 2]
model = Two
[drive 3]
model = Three
)";

struct ExpectedRequest {
  std::uint32_t code;
  std::uint32_t bufferSize;
  std::uint8_t features, cylinderLow, cylinderHigh, command;
};

TEST(Channel, SummarySeriesCarriesTheRegistersOfEveryDrive) {
  const ExpectedRequest series[] = {
      {SMART_SEND_DRIVE_COMMAND, 0, 0xD8, 0x4F, 0xC2, 0xB0},
      {SMART_RCV_DRIVE_DATA, 512, 0x00, 0x00, 0x00, 0xEC},
      {SMART_RCV_DRIVE_DATA, 512, 0xD0, 0x4F, 0xC2, 0xB0},
      {SMART_RCV_DRIVE_DATA, 512, 0xD1, 0x4F, 0xC2, 0xB0},
      {SMART_SEND_DRIVE_COMMAND, 0, 0xDA, 0x4F, 0xC2, 0xB0},
  };
  for (DriveNumber n = 0; n < 4; ++n) {
    SCOPED_TRACE("drive " + std::to_string(n));
    sim::SimulatedDisks disks(ScenarioFrom(kFourDrives));
    DriveReader reader(disks);
    DriveSummary summary;
    reader.GetDriveSummary(n, summary);

    const auto& events = disks.Events();
    ASSERT_EQ(events.size(), 8u);
    EXPECT_EQ(events.front().What, RecordedEvent::Kind::Open);
    EXPECT_EQ(events.front().Path, "\\\\.\\PhysicalDrive" + std::to_string(n));
    EXPECT_EQ(events.back().What, RecordedEvent::Kind::Close);
    EXPECT_EQ(disks.OpenHandles(), 0u);

    const auto requests = ControlEvents(disks);
    EXPECT_EQ(requests[0].Code, SMART_GET_VERSION);
    for (std::size_t i = 0; i < std::size(series); ++i) {
      const AtaCommandRequest& r = requests[i + 1].Request;
      EXPECT_EQ(requests[i + 1].Code, series[i].code);
      EXPECT_EQ(r.BufferSize, series[i].bufferSize);
      EXPECT_EQ(r.Features, series[i].features);
      EXPECT_EQ(r.SectorCount, 1);
      EXPECT_EQ(r.SectorNumber, 1);
      EXPECT_EQ(r.CylinderLow, series[i].cylinderLow);
      EXPECT_EQ(r.CylinderHigh, series[i].cylinderHigh);
      EXPECT_EQ(r.DriveHead, n % 2 ? 0xB0 : 0xA0);
      EXPECT_EQ(r.Command, series[i].command);
      EXPECT_EQ(r.DriveNumber, n);
      EXPECT_EQ(r.Reserved1, 0);
    }
  }
}

TEST(Channel, PowerCheckSendsCheckPowerModeAndNothingElse) {
  for (DriveNumber n = 0; n < 4; ++n) {
    SCOPED_TRACE("drive " + std::to_string(n));
    sim::SimulatedDisks disks(ScenarioFrom(kFourDrives));
    DriveReader reader(disks);
    EXPECT_EQ(reader.CheckPowerMode(n), PowerMode::Active);

    const auto& events = disks.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].What, RecordedEvent::Kind::Open);
    EXPECT_EQ(events[0].Path, DevicePath(n));
    EXPECT_EQ(events[1].What, RecordedEvent::Kind::Control);
    EXPECT_EQ(events[2].What, RecordedEvent::Kind::Close);
    EXPECT_EQ(disks.OpenHandles(), 0u);

    EXPECT_EQ(events[1].Code, CHECK_POWER_MODE);
    AtaCommandRequest expected{};
    expected.DriveHead = n % 2 ? 0xB0 : 0xA0;
    expected.Command = 0xE5;
    expected.DriveNumber = n;
    EXPECT_EQ(std::memcmp(&events[1].Request, &expected, sizeof expected), 0);
  }
}

// A backend that takes the request but fails it, having written a count
// that would read as standby: the count of a failed request means nothing.
class FailingPowerCheckDisks : public DiskControl {
 public:
  OpenResult Open(const std::string&) override { return DeviceHandle{1}; }
  bool Control(DeviceHandle, std::uint32_t, const void*, std::size_t, void* out,
               std::size_t outSize) override {
    std::memset(out, 0, outSize);
    return false;
  }
  void Close(DeviceHandle) override {}
};

TEST(Channel, PowerModeIsUnknownWhenTheDriveCannotBeAsked) {
  const struct {
    const char* name;
    const char* scenario;
  } cases[] = {
      {"no such drive", "[drive 1]\nmodel = x\n"},
      {"no right to open it", "[drive 0]\npermission = denied\n"},
      {"open fails", "[drive 0]\nfail = open\n"},
      {"the bridge cannot pass the request", "[drive 0]\nfail = power-check\npower = standby\n"},
  };
  for (const auto& c : cases) {
    sim::SimulatedDisks disks(ScenarioFrom(c.scenario));
    DriveReader reader(disks);
    EXPECT_EQ(reader.CheckPowerMode(0), PowerMode::Unknown) << c.name;
    EXPECT_EQ(disks.OpenHandles(), 0u) << c.name;
  }
  FailingPowerCheckDisks failing;
  DriveReader reader(failing);
  EXPECT_EQ(reader.CheckPowerMode(0), PowerMode::Unknown);
}

TEST(Channel, DriveExistsOpensAndClosesOnly) {
  sim::SimulatedDisks disks(ScenarioFrom("[drive 1]\nmodel = x\n[drive 2]\npermission = denied\n"));
  DriveReader reader(disks);
  EXPECT_FALSE(reader.DriveExists(0));
  EXPECT_TRUE(reader.DriveExists(1));
  EXPECT_FALSE(reader.DriveExists(2));
  EXPECT_TRUE(ControlEvents(disks).empty());
  EXPECT_EQ(disks.OpenHandles(), 0u);
}

// A fake whose version answer is chosen by the test.
class VersionOnlyDisks : public DiskControl {
 public:
  explicit VersionOnlyDisks(std::optional<std::uint8_t> map) : map_(map) {}
  OpenResult Open(const std::string&) override { return DeviceHandle{1}; }
  bool Control(DeviceHandle, std::uint32_t code, const void*, std::size_t, void* out,
               std::size_t) override {
    if (code != SMART_GET_VERSION || !map_) return false;
    static_cast<VersionAnswer*>(out)->IdeDeviceMap = *map_;
    return true;
  }
  void Close(DeviceHandle) override {}

 private:
  std::optional<std::uint8_t> map_;
};

TEST(Channel, DeviceMapChoosesTheIdentifyCommand) {
  struct Case {
    std::optional<std::uint8_t> map;
    DriveNumber drive;
    std::uint8_t expected;
  } cases[] = {
      {0x10, 0, 0xA1}, {0x10, 1, 0xEC}, {0x10, 2, 0xEC}, {0x10, 3, 0xEC},
      {0x80, 3, 0xA1}, {0x80, 0, 0xEC}, {0xFF, 4, 0xEC}, {0xFF, 31, 0xEC},
      {0xFF, 255, 0xEC}, {0x01, 0, 0xEC},
      {std::nullopt, 0, 0xEC},  // the driver rejects the query
  };
  for (const Case& c : cases) {
    VersionOnlyDisks disks(c.map);
    EXPECT_EQ(QueryIdentifyCommand(disks, 1, c.drive), c.expected)
        << "map " << int(c.map.value_or(0)) << " drive " << int(c.drive);
  }
}

TEST(Channel, AtapiDriveInTheMapIsIdentifiedAsPacketDevice) {
  sim::SimulatedDisks disks(ScenarioFrom("[drive 0]\ntype = atapi\nmodel = Optical\n"));
  DriveReader reader(disks);
  EXPECT_EQ(reader.GetDriveModel(0).substr(0, 7), "Optical");
  EXPECT_EQ(ControlEvents(disks)[2].Request.Command, 0xA1);
}

TEST(Channel, FailedReadDataLeavesZeroTablesWhateverAnotherDriveLeft) {
  sim::SimulatedDisks disks(ScenarioFrom(R"(
[drive 0]
attribute = 5 value=100 threshold=10
attribute = 194 value=70 worst=60 threshold=20 raw=45
[drive 1]
attribute = 194 value=70 worst=60 threshold=20 raw=45
fail = read-data read-thresholds
)"));
  DriveReader reader(disks);
  DriveSummary summary;
  reader.GetDriveSummary(0, summary);
  EXPECT_EQ(summary.Temperature, 45);
  reader.GetDriveSummary(1, summary);
  EXPECT_EQ(summary.Temperature, NoTemperature);
  EXPECT_EQ(summary.Threshold, NoThreshold);
  EXPECT_EQ(summary.Value, 0);
  EXPECT_EQ(summary.Worst, 0);
  const AtaCommandResult zero{};
  EXPECT_EQ(std::memcmp(&reader.Blocks().AttributeBlock, &zero, sizeof zero), 0);
  EXPECT_EQ(std::memcmp(&reader.Blocks().ThresholdBlock, &zero, sizeof zero), 0);
}

TEST(Channel, SeriesOnADriveThatCannotBeOpenedYieldsEmptyResults) {
  sim::SimulatedDisks disks(ScenarioFrom("[drive 1]\nmodel = x\n"));
  DriveReader reader(disks);
  EXPECT_EQ(reader.GetDriveModel(0), "");
  DriveSummary summary;
  summary.Temperature = 33;
  reader.GetDriveSummary(0, summary);
  EXPECT_EQ(summary.Temperature, NoTemperature);
  for (const auto& event : ControlEvents(disks)) EXPECT_FALSE(event.Succeeded);
}

TEST(Channel, FailedIdentifyGivesAnEmptyModelAndKeepsTheOldBlock) {
  sim::SimulatedDisks disks(
      ScenarioFrom("[drive 0]\nmodel = First\n[drive 1]\nmodel = Second\nfail = identify\n"));
  DriveReader reader(disks);
  EXPECT_EQ(reader.GetDriveModel(0).substr(0, 5), "First");
  const AtaCommandResult before = reader.Blocks().IdentifyBlock;
  EXPECT_EQ(reader.GetDriveModel(1), "");
  EXPECT_EQ(std::memcmp(&before, &reader.Blocks().IdentifyBlock, sizeof before), 0);
}

}  // namespace
}  // namespace halvoric
