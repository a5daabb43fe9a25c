// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "drive/attributes.h"
#include "drive/drive_logs.h"
#include "drive/drive_reader.h"
#include "drive/health_reading.h"
#include "drive/nvme_figures.h"
#include "recording_sinks.h"
#include "sim_helpers.h"

namespace halvoric {
namespace {

TEST(Scenario, MistakesAreReportedWithTheirLine) {
  struct Case {
    std::string text;
    const char* error;
  } cases[] = {
      {"model = x\n", "test:1: a [drive N] section must come first"},
      {"[drive 256]\n", "test:1: expected a section '[drive N]' with N from 0 to 255"},
      {"[drive 1]7]\n", "test:1: expected a section '[drive N]' with N from 0 to 255"},
      {"[drive 1]\n[drive 1]\n", "test:2: drive 1 given twice"},
      {"[drive 0]\ncolour = red\n", "test:2: unknown key 'colour'"},
      {"[drive 0]\nmodel = " + std::string(41, 'x') + "\n", "test:2: longer than 40 characters"},
      {"[drive 0]\nattribute = 194 value=300\n", "test:2: bad attribute field 'value=300'"},
      {"[drive 0]\nattribute = 9 reserved=256\n", "test:2: bad attribute field 'reserved=256'"},
      {"[drive 0]\nrotation = 1\n", "test:2: rotation is 'ssd' or the speed in rpm"},
      {"[drive 0]\nrotation = fast\n", "test:2: rotation is 'ssd' or the speed in rpm"},
      {"[drive 0]\nattribute = 0\n", "test:2: attribute starts with its ID, 1 to 255"},
      {"[drive 0]\nfail = smoke\n", "test:2: unknown failure 'smoke'"},
      {"[drive 0]\ntemperature = 10:40 5:50\nattribute = 194\n",
       "test:2: temperature points must be in increasing time"},
      {"[drive 0]\ntemperature = 40\n", "test: drive 0 has a temperature but no attribute 194"},
      {"[drive 0]\nsmart-data-file = missing.bin\n", "test:2: cannot open sector file '"},
      {"[drive 0]\njust words\n", "test:2: expected 'key = value'"},
      {"[drive 0]\nlimits = warning=60 hot=70\n",
       "test:2: limits are warning=, critical=, lowest= and highest= in degrees Celsius, -273 to "
       "255"},
      {"[drive 0]\nlimits = critical=300\n",
       "test:2: limits are warning=, critical=, lowest= and highest= in degrees Celsius, -273 to "
       "255"},
      {"[drive 0]\nlimits =\n", "test:2: limits needs at least one limit"},
      {"[drive 0]\npower = asleep\n", "test:2: power is 'standby' or 'sleep'"},
      {"[drive 0]\npower = standby from\n", "test:2: power is 'standby' or 'sleep'"},
      {"[drive 0]\npower = standby to 9 from 3\n", "test:2: power is 'standby' or 'sleep'"},
      {"[drive 0]\npower = standby from 9 to 9\n", "test:2: a power span must end after it"},
      {"[drive 0]\npower = standby from 10\npower = sleep from 20\n",
       "test:3: power spans must follow one another in time without overlapping"},
      {"[drive 0]\npower = standby from 10 to 30\npower = sleep from 0 to 5\n",
       "test:3: power spans must follow one another in time without overlapping"},
      {"[drive 5]\nruntime-suspend = yes\n", "test:2: runtime-suspend is 'always', or 'from"},
      {"[drive 5]\nruntime-suspend = always from 3\n", "test:2: runtime-suspend is 'always'"},
      {"[drive 5]\nruntime-suspend =\n", "test:2: runtime-suspend is 'always'"},
      {"[drive 5]\nruntime-suspend = to 5 from 9\n", "test:2: runtime-suspend is 'always'"},
      {"[drive 5]\nruntime-suspend = from 9 to 9\n",
       "test:2: a runtime-suspend span must end after it starts"},
      {"[drive 5]\nruntime-suspend = always\nruntime-suspend = from 20\n",
       "test:3: runtime-suspend spans must follow one another in time without overlapping"},
      {"[drive 0]\nattribute = 5\nattribute-change = 5 raw=8\n",
       "test:3: attribute-change is 'ID at SECONDS'"},
      {"[drive 0]\nattribute = 5\nattribute-change = 5 at 60\n",
       "test:3: attribute-change is 'ID at SECONDS'"},
      {"[drive 0]\nattribute = 5\nattribute-change = 5 at 60 threshold=3\n",
       "test:3: bad attribute-change field 'threshold=3'"},
      {"[drive 0]\nattribute = 5\nattribute-change = 5 at 60 raw=0x1000000000000\n",
       "test:3: bad attribute-change field 'raw=0x1000000000000'"},
      {"[drive 0]\nattribute = 5\nattribute-change = 5 at 60 raw=1\n"
       "attribute-change = 5 at 60 raw=2\n",
       "test:4: changes of one attribute must be in increasing time"},
      {"[drive 0]\nattribute = 5\nattribute-change = 9 at 60 raw=1\n",
       "test: drive 0 changes attribute 9, which it does not have"},
      {"[drive 0]\nself-tests = short\n", "test:2: self-tests is 'none', 'short extended'"},
      {"[drive 0]\nself-test-result = failed\n", "test:2: self-test-result is 'passed' or"},
      {"[drive 0]\nself-test-log = short passed 10 99\n", "test:2: self-test-log is"},
      {"[drive 0]\nself-test-log = long passed 10\n", "test:2: self-test-log is"},
      {"[drive 0]\nerror-count = 9:1 3:2\n", "test:2: error-count points must be in increasing"},
      {"[drive 0]\nself-test-seconds = 86401\n", "test:2: self-test-seconds is a number"},
      {"[drive 0]\nnvme-health = media-errors=1\n", "test:2: nvme-health needs 'type = nvme'"},
      {"[drive 0]\ntype = nvme\nnvme-health = spare=5\n", "test:3: unknown NVMe health field"},
      {"[drive 0]\ntype = nvme\nnvme-health = percentage-used=256\n",
       "test:3: percentage-used takes a number from 0 to 255"},
      {"[drive 0]\ntype = nvme\nnvme-change = at 9 media-errors=1\nnvme-change = at 5 "
       "media-errors=2\n",
       "test:4: media-errors: its figures must be given in increasing time"},
      {"[drive 0]\ntype = nvme\nnvme-change = 60 media-errors=1\n", "test:3: nvme-change is"},
      {"[drive 0]\ntype = nvme\nnvme-controller = warning=-300\n", "test:3: bad nvme-controller"},
      {"[drive 0]\ntype = nvme\nattribute = 5\n", "test: drive 0 is an NVMe drive"},
      {"[drive 0]\nhardware = form=2.5\n", "test:2: hardware needs at least blocks=N"},
      {"[drive 0]\nhardware = blocks=8 physical=1000\n", "test:2: bad hardware field 'physical"},
  };
  for (const Case& c : cases) {
    const auto result = sim::ParseScenario(c.text, "test", HALVORIC_FIXTURES);
    EXPECT_FALSE(result.Ok()) << c.text;
    EXPECT_EQ(result.Message.rfind(c.error, 0), 0u) << result.Message;
  }
}

TEST(Scenario, TemperatureFollowsTheScheduleOverTime) {
  double now = 0;
  sim::SimulatedDisks disks(test::ScenarioFrom(R"(
# a drive that heats up
[drive 0]
attribute = 194 value=100 worst=100 threshold=0
temperature = 0:40 30:50 60:51
)"),
                            [&now] { return now; });
  DriveReader reader(disks);
  const std::pair<double, int> expected[] = {{0, 40},  {29.9, 40}, {30, 50},
                                             {59, 50}, {60, 51},   {1e6, 51}};
  for (const auto& [at, celsius] : expected) {
    now = at;
    DriveSummary summary;
    reader.GetDriveSummary(0, summary);
    EXPECT_EQ(summary.Temperature, celsius) << "at " << at;
  }
}

// Attributes 5 and 197 change on their own schedules; each change keeps
// what it does not name, and the drive's status follows the values.
TEST(Scenario, AttributesFollowTheirChangesOverTime) {
  double now = 0;
  sim::SimulatedDisks disks(test::ScenarioFrom(R"(
[drive 0]
serial = CHG1
attribute = 5 value=100 worst=100 threshold=36 raw=0
attribute = 197 value=100 worst=100 threshold=0 raw=0
attribute-change = 5 at 1200 raw=8 value=98
attribute-change = 197 at 1500 raw=2
attribute-change = 5 at 3600 raw=0x10000 value=36 worst=36
)"),
                            [&now] { return now; });
  DriveReader reader(disks);
  const struct {
    double at;
    std::uint64_t raw5, raw197;
    Status state5;
  } expected[] = {
      {0, 0, 0, Status::Ok},    {1199.5, 0, 0, Status::Ok},      {1200, 8, 0, Status::Ok},
      {1500, 8, 2, Status::Ok}, {3600, 0x10000, 2, Status::Bad}, {1e6, 0x10000, 2, Status::Bad},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE("at " + std::to_string(e.at));
    now = e.at;
    const std::optional<HealthReading> reading = ReadHealth(reader, 0);
    ASSERT_TRUE(reading);
    ASSERT_EQ(reading->Attributes.size(), 2u);
    EXPECT_EQ(reading->Attributes[0].Raw, e.raw5);
    EXPECT_EQ(reading->Attributes[0].State, e.state5);
    EXPECT_EQ(reading->Attributes[1].Raw, e.raw197);
    std::uint8_t sum = 0;
    for (std::uint8_t byte : reader.Blocks().AttributeBlock.Data) {
      sum = static_cast<std::uint8_t>(sum + byte);
    }
    EXPECT_EQ(sum, 0);
  }
}

// An NVMe drive's health log changes on its own schedule and reaches the
// reader through the NVMe translation, judged by NVMe's rules.
TEST(Scenario, NvmeHealthFollowsItsChangesThroughTheTranslation) {
  double now = 0;
  sim::SimulatedDisks disks(test::ScenarioFrom(R"(
[drive 0]
type = nvme
model = Sim NVMe
temperature = 0:45 600:71
nvme-controller = warning=70 critical=80
nvme-health = percentage-used=3 available-spare=100 spare-threshold=10
nvme-change = at 300 media-errors=2
nvme-change = at 900 available-spare=5 critical-warning=1
)"),
                            [&now] { return now; });
  DriveReader reader(disks);
  const struct {
    double at;
    int celsius;
    std::uint64_t mediaErrors, spare;
    Status spareState;
  } expected[] = {{0, 45, 0, 100, Status::Ok},
                  {300, 45, 2, 100, Status::Ok},
                  {600, 71, 2, 100, Status::Ok},
                  {900, 71, 2, 5, Status::Bad}};
  for (const auto& e : expected) {
    SCOPED_TRACE("at " + std::to_string(e.at));
    now = e.at;
    DriveSummary summary;
    reader.GetDriveSummary(0, summary);
    EXPECT_EQ(summary.Temperature, e.celsius);
    EXPECT_EQ(summary.Limits.Warning, 70);
    const std::optional<HealthReading> reading = ReadHealth(reader, 0);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->Source, TableSource::Nvme);
    std::map<std::uint8_t, const AttributeReading*> rows;
    for (const AttributeReading& a : reading->Attributes) rows[a.Id] = &a;
    ASSERT_TRUE(rows.count(kNvmeMediaErrorsId) && rows.count(kNvmeAvailableSpareId));
    EXPECT_EQ(rows[kNvmeMediaErrorsId]->Raw, e.mediaErrors);
    EXPECT_EQ(rows[kNvmeAvailableSpareId]->Raw, e.spare);
    EXPECT_EQ(rows[kNvmeAvailableSpareId]->State, e.spareState);
  }
}

TEST(Scenario, ChangesApplyToARecordedTableToo) {
  sim::SimulatedDisks disks(test::ScenarioFrom(R"(
[drive 0]
smart-data-file = qemu-sata/smart-data.bin
attribute-change = 190 at 0 raw=77
)"));
  DriveReader reader(disks);
  DriveSummary summary;
  reader.GetDriveSummary(0, summary);
  EXPECT_EQ(RawValue48(AttributeAt(reader.Blocks().AttributeBlock.Data, 6)), 77u);
}

// The schedule alone: checking the mode never changes it, whatever the
// time, and a span ends where its 'to' says. A drive the kernel holds
// runtime-suspended reads standby without being opened.
TEST(Scenario, PowerCheckFollowsTheScheduleWithoutWakingTheDrive) {
  double now = 0;
  sim::SimulatedDisks disks(test::ScenarioFrom(R"(
[drive 0]
power = standby from 30 to 600
power = sleep from 900 to 1000
power = standby from 1000
[drive 1]
power = sleep
[drive 6]
runtime-suspend = from 30 to 600
runtime-suspend = from 900
)"),
                            [&now] { return now; });
  DriveReader reader(disks);
  EXPECT_EQ(disks.DriveCount(), 7u);
  const struct {
    double at;
    PowerMode mode;
    bool suspended;
  } expected[] = {
      {0, PowerMode::Active, false},   {29.5, PowerMode::Active, false},
      {30, PowerMode::Standby, true},  {599, PowerMode::Standby, true},
      {600, PowerMode::Active, false}, {900, PowerMode::Sleep, true},
      {999, PowerMode::Sleep, true},   {1000, PowerMode::Standby, true},
      {1e7, PowerMode::Standby, true},
  };
  for (const auto& [at, mode, suspended] : expected) {
    now = at;
    for (int again = 0; again < 2; ++again) {
      EXPECT_EQ(reader.CheckPowerMode(0), mode) << "at " << at;
    }
    EXPECT_EQ(reader.CheckPowerMode(1), PowerMode::Sleep) << "at " << at;
    EXPECT_EQ(disks.RuntimeSuspended(6), suspended) << "at " << at;
    EXPECT_EQ(reader.CheckPowerMode(6), suspended ? PowerMode::Standby : PowerMode::Active)
        << "at " << at;
  }
  for (const auto& event : disks.Events()) EXPECT_FALSE(event.Woke);
}

// Every series wakes a drive in standby or asleep, with its first request
// that reaches the drive (the version query is the driver's). The drive
// stays awake for the rest of the span; the next span holds again.
TEST(Scenario, AnyOtherRequestWakesTheDriveForTheRestOfItsSpan) {
  const struct {
    const char* name;
    std::function<void(DriveReader&)> series;
  } series[] = {
      {"summary",
       [](DriveReader& r) {
         DriveSummary s;
         r.GetDriveSummary(0, s);
       }},
      {"model", [](DriveReader& r) { r.GetDriveModel(0); }},
      {"details",
       [](DriveReader& r) {
         test::RecordingSinks sinks;
         r.ReadDriveDetails(0, sinks, sinks);
       }},
      {"health", [](DriveReader& r) { ReadHealth(r, 0); }},
  };
  for (const char* mode : {"standby", "sleep"}) {
    for (const auto& s : series) {
      SCOPED_TRACE(std::string(mode) + " " + s.name);
      double now = 10;
      sim::SimulatedDisks disks(
          test::ScenarioFrom(std::string("[drive 0]\nattribute = 194 raw=30\npower = ") + mode +
                             " from 0 to 100\npower = standby from 200\n"),
          [&now] { return now; });
      DriveReader reader(disks);
      EXPECT_NE(reader.CheckPowerMode(0), PowerMode::Active);
      disks.ClearEvents();
      s.series(reader);
      const auto requests = test::ControlEvents(disks);
      ASSERT_GE(requests.size(), 2u);
      EXPECT_EQ(requests[0].Code, SMART_GET_VERSION);
      EXPECT_FALSE(requests[0].Woke);
      EXPECT_TRUE(requests[1].Woke);
      for (std::size_t i = 2; i < requests.size(); ++i) EXPECT_FALSE(requests[i].Woke) << i;

      now = 50;
      EXPECT_EQ(reader.CheckPowerMode(0), PowerMode::Active);
      now = 200;
      EXPECT_EQ(reader.CheckPowerMode(0), PowerMode::Standby);
    }
  }
}

TEST(Scenario, RecordedSectorsFeedTheSimulatedDrive) {
  sim::SimulatedDisks disks(test::ScenarioFrom(R"(
[drive 0]
identify-file = qemu-sata/identify.bin
smart-data-file = qemu-sata/smart-data.bin
smart-thresholds-file = "qemu-sata/smart-thresholds.bin"
)"));
  DriveReader reader(disks);
  EXPECT_EQ(reader.GetDriveModel(0), "HARNESS SMART TEST DISK" + std::string(17, ' '));
  const auto& data = reader.Blocks().AttributeBlock.Data;
  std::uint8_t sum = 0;
  DriveSummary summary;
  reader.GetDriveSummary(0, summary);
  for (std::uint8_t byte : data) sum = static_cast<std::uint8_t>(sum + byte);
  EXPECT_EQ(sum, 0);  // the recorded checksum is kept
  EXPECT_EQ(AttributeAt(data, 6).Id, 190);
}

// A folder would read as an empty scenario, a pipe would block the open and
// a device would never end.
TEST(Scenario, OnlyRegularFilesAreRead) {
  for (const std::string& path : {std::string(HALVORIC_SCENARIOS), std::string("/dev/zero")}) {
    const auto result = sim::LoadScenario(path);
    EXPECT_EQ(result.Message, "cannot open scenario file '" + path + "': not a regular file");
  }
  const auto sector =
      sim::ParseScenario("[drive 0]\nidentify-file = qemu-sata\n", "test", HALVORIC_FIXTURES);
  EXPECT_NE(sector.Message.find("qemu-sata' is not a regular file"), std::string::npos)
      << sector.Message;
}

TEST(Scenario, ShippedExamplesLoad) {
  for (const char* name : {"demo.scenario", "hot-drive.scenario", "troubled.scenario", "fleet.scenario"}) {
    const auto result = sim::LoadScenario(std::string(HALVORIC_SCENARIOS) + "/" + name);
    ASSERT_TRUE(result.Ok()) << result.Message;
    EXPECT_FALSE(result->Drives.empty()) << name;
  }
}

// A short test runs for the scenario's seconds, is never started twice,
// and ends in the log failed at its LBA; the error count rises on time.
TEST(Scenario, SelfTestsRunOnTimeAndEndInTheLogs) {
  double now = 0;
  sim::SimulatedDisks disks(test::ScenarioFrom(R"(
[drive 0]
attribute = 9 raw=500
self-test-seconds = 40
self-test-result = failed 4660
self-test-log = extended passed 480
error-count = 0:1 60:7
)"),
                            [&now] { return now; });
  DriveReader reader(disks);
  const auto started = RunSelfTest(reader, 0, SelfTestAction::Short);
  ASSERT_TRUE(started.Ok()) << started.Message;
  EXPECT_EQ(started->Minutes, 2);
  EXPECT_EQ(RunSelfTest(reader, 0, SelfTestAction::Conveyance).Message,
            "drive 0 does not run conveyance self-tests");
  now = 10;
  EXPECT_EQ(RunSelfTest(reader, 0, SelfTestAction::Extended).Message,
            "a self-test already runs on drive 0 (80% remaining); abort it first");
  DriveLogs logs = ReadDriveLogs(reader, 0);
  ASSERT_TRUE(logs.SelfTest && logs.SelfTests && logs.Errors);
  EXPECT_EQ(logs.SelfTest->PercentLeft, 80);
  EXPECT_EQ(logs.SelfTests->Entries.size(), 1u);
  EXPECT_EQ(logs.Errors->Count, 1u);

  now = 61;
  logs = ReadDriveLogs(reader, 0);
  EXPECT_FALSE(logs.SelfTest->Running);
  EXPECT_EQ(logs.SelfTest->Passed, false);
  ASSERT_EQ(logs.SelfTests->Entries.size(), 2u);
  EXPECT_EQ(logs.SelfTests->Entries[0].TypeText, "Short offline");
  EXPECT_EQ(logs.SelfTests->Entries[0].FailingLba, 4660u);
  EXPECT_EQ(logs.SelfTests->Entries[1].LifetimeHours, 480u);
  EXPECT_EQ(logs.Errors->Count, 7u);
  EXPECT_EQ(logs.Errors->Entries.size(), 5u);
  EXPECT_TRUE(logs.Errors->ChecksumOk && logs.SelfTests->ChecksumOk);
  EXPECT_EQ(RunSelfTest(reader, 0, SelfTestAction::Abort).Message, "no self-test runs on drive 0");

  ASSERT_TRUE(RunSelfTest(reader, 0, SelfTestAction::Extended).Ok());
  EXPECT_TRUE(RunSelfTest(reader, 0, SelfTestAction::Abort).Ok());
  logs = ReadDriveLogs(reader, 0);
  EXPECT_EQ(logs.SelfTests->Entries[0].ResultText, "Aborted by host");
  // Only the logs the drive says it keeps are asked for; no GPL, no
  // READ LOG EXT.
  for (const auto& event : test::ControlEvents(disks)) {
    EXPECT_NE(event.Request.Command, kAtaReadLogExt);
  }
}

}  // namespace
}  // namespace halvoric
