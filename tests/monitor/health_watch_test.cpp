// SPDX-License-Identifier: GPL-3.0-or-later
// The health watch over simulated drives whose attributes change between
// readings, with its record in a private folder.
#include <chrono>
#include <ctime>
#include <memory>

#include "tests/base/temp_files.h"
#include "tests/monitor/monitor_fakes.h"
#include "tests/services/service_fakes.h"

namespace halvoric::testing {
namespace {

constexpr const char* kDrive =
    "[drive 0]\nmodel = Spinner\nserial = SN-1\n"
    "attribute = 1 value=100 worst=100 threshold=6\n"
    "attribute = 5 value=100 worst=100 threshold=36 raw=0\n"
    "attribute = 9 value=99 worst=99 raw=1000\n"
    "attribute = 194 value=60 worst=50 raw=40\n";

class HealthTest : public ::testing::Test {
 protected:
  HealthTest() {
    window_.Watched = {0};
    settings_.EmailNotification = true;
    settings_.EmailAddr = "ops@example.org";
    settings_.PopupNotification = true;
  }
  HealthWatch Watch() { return rig_.Health(drives_, queue_, Record()); }
  std::string Record() const { return dir_.File("drive-health.txt"); }
  sim::SimAttribute& Attribute(std::size_t i) { return disks_.Drives().Drives[0].Attributes[i]; }
  std::vector<std::string> HealthLines() const {
    std::vector<std::string> lines;
    for (const std::string& line : journal_.Lines) {
      if (line.rfind("HEALTH ", 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  TempDir dir_;
  double seconds_ = 0;  // since the simulation began
  sim::SimulatedDisks disks_{ScenarioOrFail(kDrive), [this] { return seconds_; }};
  DriveReader drives_{disks_};
  WatchRig rig_;
  FakeWindow& window_ = rig_.Window;
  Settings& settings_ = rig_.Values;
  RecordingJournal& journal_ = rig_.Journal;
  FakeMailer mail_;
  ImmediateMailQueue queue_{mail_};
  FakeSound& sound_ = rig_.Sound;
  FakeMessages& messages_ = rig_.Messages;
};

TEST_F(HealthTest, EachRiseOfADamageCountAlertsOnce) {
  HealthWatch watch = Watch();
  watch.Start();
  EXPECT_EQ(window_.HealthTimerMinutes, 10u);
  EXPECT_TRUE(journal_.Lines.empty());  // a first reading is only kept

  Attribute(1).Raw = 8;
  watch.Check();
  watch.Check();  // nothing new
  Attribute(1).Raw = 16;
  Attribute(2).Raw = 5000;  // power-on hours rise all the time: no alert
  watch.Check();
  EXPECT_EQ(HealthLines(),
            (std::vector<std::string>{
                "HEALTH of drive 0 (Spinner, serial SN-1): Reallocated Sector Count raw 0 -> 8",
                "HEALTH of drive 0 (Spinner, serial SN-1): Reallocated Sector Count raw 8 -> 16"}));
  ASSERT_EQ(mail_.Sent.size(), 2u);
  EXPECT_EQ(mail_.Sent[0].Subject, "Halvoric Alert!");
  EXPECT_EQ(mail_.Sent[0].Body, HealthLines()[0] + "\n");
  EXPECT_EQ(messages_.Alerts.size(), 2u);
  EXPECT_EQ(window_.Fronts, 2);
}

// The health timer's clock runs where the drives are read: each check
// reads there and hands its readings to the window's thread in one task,
// the record's save ends it in another, and the checks go on every
// interval until the timer stops.
TEST_F(HealthTest, ScheduledChecksRepeatUntilTheTimerStops) {
  using namespace std::chrono_literals;
  WindowTasks window;
  DriveThread line(drives_, [&](std::function<void()> task) { window.Post(std::move(task)); });
  HealthWatch watch = rig_.Health(line, queue_, Record());
  watch.ScheduleChecks(100ms);
  for (int task = 0; task < 2; ++task) ASSERT_TRUE(window.RunNext(2s));
  EXPECT_TRUE(HealthLines().empty());  // a first reading is only kept
  Attribute(1).Raw = 8;
  for (int task = 0; task < 2; ++task) ASSERT_TRUE(window.RunNext(2s));
  EXPECT_EQ(HealthLines(),
            (std::vector<std::string>{
                "HEALTH of drive 0 (Spinner, serial SN-1): Reallocated Sector Count raw 0 -> 8"}));
  watch.CancelChecks();
  EXPECT_FALSE(window.RunNext(300ms));
  line.Stop();
}

// The simulated drive says it is failing once an attribute reached its
// threshold: both are news once, in one alert.
TEST_F(HealthTest, AnAttributeThatNewlyReadsBadAlertsOnce) {
  HealthWatch watch = Watch();
  watch.Check();
  Attribute(0).Value = 6;  // at its threshold
  watch.Check();
  watch.Check();
  EXPECT_EQ(HealthLines(),
            (std::vector<std::string>{
                "HEALTH of drive 0 (Spinner, serial SN-1): the drive says it is failing",
                "HEALTH of drive 0 (Spinner, serial SN-1): Raw Read Error Rate OK -> BAD"}));
  EXPECT_EQ(messages_.Alerts.size(), 1u);
}

// The drive's own verdict alone, all attributes OK: once, also across a
// restart, and again only after it said it was passing in between.
TEST_F(HealthTest, ADriveThatSaysItIsFailingAlertsOnce) {
  sim::SimDrive& drive = disks_.Drives().Drives[0];
  Watch().Check();
  drive.Failing = true;
  for (int check = 0; check < 2; ++check) Watch().Check();
  drive.Faults.insert(sim::Fault::ReturnStatus);  // no answer: what it said before holds
  Watch().Check();
  drive.Faults.clear();
  drive.Failing = false;
  Watch().Check();
  drive.Failing = true;
  Watch().Check();
  const std::string failing =
      "HEALTH of drive 0 (Spinner, serial SN-1): the drive says it is failing";
  EXPECT_EQ(HealthLines(), (std::vector<std::string>{failing, failing}));
}

// A drive already in trouble when first seen is reported once, with the
// reasons; it is the baseline after. A count that appears later is a rise.
TEST_F(HealthTest, FirstSightOfADriveInTroubleAlertsOnceWithItsReasons) {
  Attribute(1).Raw = 5120;
  disks_.Drives().Drives[0].Attributes.push_back({197, 0x0012, 100, 100, 0, 8});
  HealthWatch watch = Watch();
  watch.Check();
  watch.Check();
  // 187 is none of the catalogue's: the alert names it as the window does.
  disks_.Drives().Drives[0].Attributes.push_back({187, 0x0032, 100, 100, 0, 2});
  watch.Check();
  EXPECT_EQ(HealthLines(),
            (std::vector<std::string>{
                "HEALTH of drive 0 (Spinner, serial SN-1): reads WARN when first seen: 5120 "
                "reallocated sectors; 8 pending sectors",
                "HEALTH of drive 0 (Spinner, serial SN-1): Reported Uncorrectable raw 0 -> 2"}));
  EXPECT_EQ(messages_.Alerts.size(), 2u);
}

// A reading whose thresholds did not come back says nothing: kept, it would
// record the BAD attribute as OK and report it again at the next reading.
TEST_F(HealthTest, AReadingWithoutItsThresholdsIsNotKept) {
  HealthWatch watch = Watch();
  Attribute(0).Value = 6;  // at its threshold from the first reading on
  watch.Check();
  disks_.Drives().Drives[0].Faults.insert(sim::Fault::ReadThresholds);
  watch.Check();
  disks_.Drives().Drives[0].Faults.clear();
  watch.Check();
  EXPECT_EQ(HealthLines(), std::vector<std::string>{
                               "HEALTH of drive 0 (Spinner, serial SN-1): reads BAD when first "
                               "seen: the drive says it is failing; Raw Read Error Rate "
                               "failing now"});
  EXPECT_EQ(messages_.Alerts.size(), 1u);
}

// The record outlives the program: a change made while it was not running is
// reported at the next start, and only then.
TEST_F(HealthTest, ARestartNeitherForgetsNorRepeats) {
  Watch().Check();
  Attribute(1).Raw = 3;
  Watch().Check();
  Watch().Check();
  EXPECT_EQ(HealthLines().size(), 1u);
}

TEST_F(HealthTest, AnotherDriveInTheSameSlotIsAFirstReading) {
  Watch().Check();
  disks_.Drives().Drives[0].Serial = "SN-2";
  Attribute(1).Raw = 100;
  Watch().Check();
  EXPECT_EQ(HealthLines(), std::vector<std::string>{
                               "HEALTH of drive 0 (Spinner, serial SN-2): reads WARN when first "
                               "seen: 100 reallocated sectors"});
}

TEST_F(HealthTest, SwitchedOffItReadsNothing) {
  settings_.HealthWarn = false;
  disks_.ClearEvents();
  Watch().Start();
  EXPECT_TRUE(disks_.Events().empty());
  EXPECT_EQ(window_.HealthTimerMinutes, 0u);
}

// Opening a disk the kernel has runtime-suspended would resume it: the
// watch leaves it unopened, and sees the change once it is back.
TEST_F(HealthTest, ARuntimeSuspendedDriveIsLeftUnopenedUntilItIsBack) {
  HealthWatch watch = Watch();
  watch.Check();
  disks_.Drives().Drives[0].SuspendSpans = {sim::TimeSpan{}};
  disks_.ClearEvents();
  Attribute(1).Raw = 8;
  watch.Check();
  EXPECT_TRUE(disks_.Events().empty());
  EXPECT_TRUE(HealthLines().empty());
  disks_.Drives().Drives[0].SuspendSpans.clear();
  watch.Check();
  EXPECT_EQ(HealthLines().size(), 1u);
}

TEST_F(HealthTest, AHandEditedRecordLosesOnlyItsBadLines) {
  Watch().Check();
  std::string record = ReadFile(Record());
  record += "zz 5 9 OK\n534e2d31 5 x OK\n534e2d31 300 1 OK\n534e2d31 5 1 MAYBE\n\n";
  record += "534e2d31 errors x\n534e2d31 failed-self-test 1 2 3\n534e2d31 scheduled\n";
  WriteFile(Record(), record);
  Attribute(1).Raw = 1;
  Watch().Check();
  EXPECT_EQ(HealthLines().size(), 1u);
}

TEST_F(HealthTest, ARecordThatCannotBeWrittenIsJournalledOnce) {
  std::filesystem::create_directory(Record());
  HealthWatch watch = Watch();
  watch.Check();
  watch.Check();
  ASSERT_EQ(journal_.Lines.size(), 1u);
  EXPECT_EQ(journal_.Lines[0].rfind("Cannot write \"" + Record() + "\". ", 0), 0u)
      << journal_.Lines[0];
}

// An NVMe drive's rows are named and judged by NVMe's rules in the journal
// too, and a rise of its media errors counts as damage.
TEST_F(HealthTest, NvmeRowsByNvmesNamesAndRules) {
  sim::SimulatedDisks disks(
      ScenarioOrFail("[drive 0]\nmodel = Flash\nserial = NV-1\n"
                     "attribute = 0x60 value=10 worst=10 threshold=10 raw=10\n"
                     "attribute = 0x63 value=100 worst=100 raw=1\nfail = return-status\n"));
  DrivesWithLimits nvme(disks);
  nvme.Nvme = true;
  DriveReader reader(nvme);
  HealthWatch watch = rig_.Health(reader, queue_, Record());
  watch.Start();
  disks.Drives().Drives[0].Attributes[0].Raw = 9;  // the spare falls below its threshold
  disks.Drives().Drives[0].Attributes[1].Raw = 3;
  watch.Check();
  EXPECT_EQ(
      HealthLines(),
      (std::vector<std::string>{
          "HEALTH of drive 0 (Flash, serial NV-1): reads WARN when first seen: 1 media errors",
          "HEALTH of drive 0 (Flash, serial NV-1): Available Spare OK -> BAD",
          "HEALTH of drive 0 (Flash, serial NV-1): Media and Data Integrity Errors raw 1 -> 3"}));
}

// A self-test that fails at an LBA after running for some seconds: its
// progress shows in the row, its end is journalled, and the failure alerts
// once, neither again at the next check nor after a restart. A later
// passing extended test supersedes it: noted, with no alert.
TEST_F(HealthTest, AFailedSelfTestAlertsOnceUntilSuperseded) {
  using std::chrono_literals::operator""min;
  sim::SimDrive& drive = disks_.Drives().Drives[0];
  drive.SelfTestSeconds = 20;
  drive.SelfTestFailsAt = 4660;
  rig_.Last[0].Model = "Spinner";
  HealthWatch watch = Watch();
  SelfTestWatch tests = rig_.SelfTests(drives_, watch);
  watch.Check();  // the logs' baseline
  ASSERT_TRUE(RunSelfTest(drives_, 0, SelfTestAction::Short).Ok());
  tests.Started(0, SelfTestAction::Short);
  EXPECT_EQ(RowOf(0, window_.Shown[0]).SelfTest, "Short self-test running");
  seconds_ = 10;
  rig_.Time.Advance(1min);
  tests.Tick();
  EXPECT_EQ(RowOf(0, window_.Shown[0]).SelfTest, "Short self-test: 50% left");
  seconds_ = 30;
  tests.Tick();  // within the minute: not read
  EXPECT_EQ(RowOf(0, window_.Shown[0]).SelfTest, "Short self-test: 50% left");
  rig_.Time.Advance(1min);
  tests.Tick();
  EXPECT_FALSE(window_.Shown[0].SelfTest);
  const auto verdict = [&] {
    const DriveSummary summary = *drives_.ReadSummary(0).Summary;
    return std::make_pair(summary.Health, summary.Reasons);
  };
  EXPECT_EQ(verdict(),
            std::make_pair(Status::Warn, std::vector<std::string>{"last self-test failed"}));
  watch.Check();
  Watch().Check();
  drive.SelfTestFailsAt.reset();
  ASSERT_TRUE(RunSelfTest(drives_, 0, SelfTestAction::Extended).Ok());
  seconds_ = 60;
  Watch().Check();
  const std::string failure =
      "HEALTH of drive 0 (Spinner, serial SN-1): Short offline self-test failed at LBA 4660 "
      "(Completed: read failure, at 1000 hours)";
  EXPECT_EQ(HealthLines(),
            (std::vector<std::string>{failure,
                                      failure + ", superseded by a later passing extended test"}));
  EXPECT_TRUE(
      journal_.Has("SELF-TEST of drive 0 (Spinner, serial SN-1): Short offline self-test "
                   "ended: Completed: read failure at LBA 4660"));
  EXPECT_EQ(messages_.Alerts.size(), 1u);
  EXPECT_EQ(verdict(), std::make_pair(Status::Ok, std::vector<std::string>{}));
}

TEST_F(HealthTest, ARisingErrorCountAlertsOnce) {
  disks_.Drives().Drives[0].ErrorCounts = {{0, 0}, {600, 3}};
  Watch().Check();
  seconds_ = 700;
  Watch().Check();
  Watch().Check();
  EXPECT_EQ(HealthLines(), std::vector<std::string>{
                               "HEALTH of drive 0 (Spinner, serial SN-1): error log count 0 -> 3"});
  EXPECT_EQ(messages_.Alerts.size(), 1u);
}

// A week of the schedule with a tick every quarter hour: a short test at 02
// and 03, Saturday's 03 the extended one instead; each once in its hour, a
// restart within it too; skipped while the disk sleeps or a test runs.
TEST_F(HealthTest, AScheduledWeek) {
  using std::chrono_literals::operator""min;
  sim::SimDrive& drive = disks_.Drives().Drives[0];
  const double day = 86400, hour = 3600;
  drive.PowerSpans.push_back({{day + hour, day + 4 * hour}, PowerMode::Standby});
  settings_.SelfTestSchedule = "(S/../.././0[23]|L/../../6/03)";
  std::tm monday{};
  monday.tm_mday = 7;
  monday.tm_mon = 11;
  monday.tm_year = 126;
  monday.tm_isdst = -1;
  rig_.Calendar.Time = std::chrono::system_clock::from_time_t(std::mktime(&monday));
  std::optional<HealthWatch> health;
  std::optional<SelfTestWatch> tests;
  const auto start = [&] {
    tests.reset();
    health.emplace(Watch());
    tests.emplace(rig_.SelfTests(drives_, *health));
    tests->Start();
  };
  start();
  std::vector<std::string> scheduled;
  for (int step = 0; step < 7 * 96; ++step) {
    seconds_ = step * 15 * 60;
    // Wednesday's test at 02 still runs at 03.
    drive.SelfTestSeconds = step / 96 == 2 ? 5400 : 30;
    if (step == 3 * 96 + 10) start();  // Thursday 02:30
    const std::size_t before = journal_.Lines.size();
    tests->Tick();
    for (std::size_t i = before; i < journal_.Lines.size(); ++i) {
      const std::string& line = journal_.Lines[i];
      if (line.find("scheduled") == std::string::npos) continue;
      scheduled.push_back(std::to_string(step / 96 + 1) + " " + std::to_string(step % 96 / 4) +
                          " " + line.substr(line.find("): ") + 3));
    }
    rig_.Calendar.Advance(15min);
    rig_.Time.Advance(15min);
  }
  const std::string started = "scheduled short self-test started (about 2 minutes)";
  EXPECT_EQ(scheduled, (std::vector<std::string>{
                           "1 2 " + started,
                           "1 3 " + started,
                           "2 2 scheduled short self-test skipped: the drive is asleep",
                           "2 3 scheduled short self-test skipped: the drive is asleep",
                           "3 2 " + started,
                           "3 3 scheduled short self-test skipped: a self-test already runs",
                           "4 2 " + started,
                           "4 3 " + started,
                           "5 2 " + started,
                           "5 3 " + started,
                           "6 2 " + started,
                           "6 3 scheduled extended self-test started (about 90 minutes)",
                           "7 2 " + started,
                           "7 3 " + started,
                       }));
}

TEST_F(HealthTest, AnInvalidScheduleIsJournalledOnceAndStartsNothing) {
  settings_.SelfTestSchedule = "(S/../.././02";
  HealthWatch watch = Watch();
  SelfTestWatch tests = rig_.SelfTests(drives_, watch);
  tests.Start();
  disks_.ClearEvents();
  tests.Tick();
  ASSERT_EQ(journal_.Lines.size(), 1u);
  EXPECT_EQ(journal_.Lines[0].rfind("The self-test schedule \"(S/../.././02\" is no valid", 0), 0u)
      << journal_.Lines[0];
  EXPECT_TRUE(disks_.Events().empty());
  // One that would take gigabytes to compile is refused as well.
  EXPECT_FALSE(SelfTestSchedule::Parse("S/../../" + std::string(40, '+')).Ok());
  EXPECT_TRUE(SelfTestSchedule::Parse("(S/../.././02)").Ok());
}

}  // namespace
}  // namespace halvoric::testing
