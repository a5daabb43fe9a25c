// SPDX-License-Identifier: GPL-3.0-or-later
// The watch and the scan with drive reads that come back later, as they do
// when series run away from the window.
#include <gtest/gtest.h>

#include <deque>

#include "drive/collecting_sinks.h"
#include "drive/sim/simulated_disks.h"
#include "monitor/drive_scan.h"
#include "monitor/slow_drives.h"
#include "monitor/temperature_watch.h"
#include "monitor_fakes.h"

namespace halvoric::testing {
namespace {

// Runs work when the test says, on the test's thread.
class LaterLine final : public DriveQueue {
 public:
  explicit LaterLine(DriveReader& reader) : reader_(reader) {}
  void Run(Work work, Done done) override {
    ++given;
    waiting_.push_back({std::move(work), std::move(done)});
  }
  void RunAndWait(Work work, const Meanwhile& /*meanwhile*/ = {}) override { work(reader_); }
  void RunAt(const void* /*timer*/, TimePoint /*when*/, Work /*work*/, Done /*done*/) override {}
  void Cancel(const void* /*timer*/) override {}
  // Runs every series given so far and those their results give.
  void Drain() {
    while (!waiting_.empty()) {
      auto [work, done] = std::move(waiting_.front());
      waiting_.pop_front();
      work(reader_);
      done();
    }
  }
  std::size_t Waiting() const { return waiting_.size(); }
  int given = 0;

 private:
  DriveReader& reader_;
  std::deque<std::pair<Work, Done>> waiting_;
};

const char* const kHotDrive =
    "[drive 0]\nmodel = Hot\nserial = H0\nattribute = 194 flags=0x0022 value=60 worst=50 raw=55\n";

// A watch on the drives of `scenario` whose reads come back when the test
// drains its line, with the critical temperature at `critical`.
struct LaterWatch {
  LaterWatch(const std::string& scenario, std::vector<DriveNumber> watched, std::uint8_t critical)
      : Disks(ScenarioOrFail(scenario)) {
    Rig.Window.Watched = std::move(watched);
    Rig.Values.CritTempValue = critical;
  }
  sim::SimulatedDisks Disks;
  DriveReader Reader{Disks};
  LaterLine Line{Reader};
  WatchRig Rig;
  FakeMailer Mailer;
  ImmediateMailQueue Mails{Mailer};
  TemperatureWatch Watch = Rig.Watch(Line, Mails, Mailer);
};

TEST(LaterReads, ATickWhileTheLastOneIsStillReadingAddsNothing) {
  LaterWatch later(kHotDrive, {0}, 50);
  WatchRig& rig = later.Rig;
  LaterLine& line = later.Line;
  FakeMailer& mailer = later.Mailer;
  TemperatureWatch& watch = later.Watch;

  watch.Check();
  EXPECT_FALSE(rig.Window.CheckTimer) << "the timer waits for the reads";
  // The warning ticked off and on again starts the timer; its tick comes
  // while the first is still reading.
  watch.WarningChanged(false);
  watch.WarningChanged(true);
  watch.Check();
  EXPECT_EQ(line.Waiting(), 1u);
  line.Drain();
  EXPECT_EQ(mailer.Sent.size(), 1u);
  EXPECT_TRUE(rig.Window.CheckTimer);
  watch.Check();
  line.Drain();
  EXPECT_EQ(mailer.Sent.size(), 1u) << "one mail per excursion";
}

// All watched drives are read in one go, so an idle window wakes once per
// check; a popup's wait makes the readings after it stale, so those drives
// are read again before they are judged.
TEST(LaterReads, OneReadPerCheckAndAFreshOneAfterAPopup) {
  LaterWatch later(
      std::string(kHotDrive) +
          "[drive 1]\nmodel = Warm\nattribute = 194 flags=0x0022 value=60 worst=50 raw=45\n",
      {0, 1}, 40);
  WatchRig& rig = later.Rig;
  LaterLine& line = later.Line;
  TemperatureWatch& watch = later.Watch;
  const struct {
    bool popup;
    int reads;
    std::size_t alerts;
  } cases[] = {{false, 1, 0}, {true, 2, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.popup);
    rig.Values.PopupNotification = c.popup;
    rig.Values.CritTempValue = 40;
    line.given = 0;
    rig.Messages.Alerts.clear();
    watch.Check();
    line.Drain();
    EXPECT_EQ(line.given, c.reads);
    // Drive 0's popup raised the critical temperature to 55: drive 1 is
    // judged against that, and stays quiet.
    EXPECT_EQ(rig.Messages.Alerts.size(), c.alerts);
  }
}

// A row unticked, or the warning switched off, while a tick reads its drives
// is not judged when the readings come back: no mail, sound or popup for it.
TEST(LaterReads, ATickJudgesOnlyTheRowsStillTickedWithTheWarningOn) {
  const struct {
    const char* meanwhile;
    std::vector<DriveNumber> ticked;
    bool warning;
    std::vector<std::string> bodies;
  } cases[] = {
      {"nothing",
       {0, 1},
       true,
       {"The current temperature is: 55", "The current temperature is: 56"}},
      {"row 0 unticked", {1}, true, {"The current temperature is: 56"}},
      {"warning off", {0, 1}, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.meanwhile);
    LaterWatch later(
        std::string(kHotDrive) +
            "[drive 1]\nmodel = Hot too\nattribute = 194 flags=0x0022 value=60 worst=50 raw=56\n",
        {0, 1}, 50);
    later.Watch.Check();
    later.Rig.Window.Watched = c.ticked;
    if (!c.warning) later.Watch.WarningChanged(false);
    later.Line.Drain();
    std::vector<std::string> bodies;
    for (const MailArguments& mail : later.Mailer.Sent) bodies.push_back(mail.Body);
    EXPECT_EQ(bodies, c.bodies);
  }
}

TEST(LaterReads, DetailPagesShowWhatTheReadFoundOnlyOnceItIsBack) {
  sim::SimulatedDisks disks(ScenarioOrFail(kHotDrive));
  DriveReader reader(disks);
  LaterLine line(reader);
  CollectingSinks shown;
  RecordingJournal journal;
  LastReadings last;
  DriveScan scan(line, nullptr, {shown, shown, shown}, journal, last);
  scan.ScanDrives();
  ASSERT_EQ(shown.drives.size(), 1u);

  scan.ShowDriveDetails("0");
  EXPECT_TRUE(shown.diskInfo.empty());
  line.Drain();
  const std::size_t diskRows = shown.diskInfo.size();
  EXPECT_GT(diskRows, 0u);
  EXPECT_FALSE(shown.smartInfo.empty());
  // A drive that is not there leaves the pages as they were.
  scan.ShowDriveDetails("3");
  line.Drain();
  EXPECT_EQ(shown.diskInfo.size(), diskRows);
}

TEST(SlowDriveReport, SaysOnceThatADriveMissedItsDeadlineAndOnceThatItIsBack) {
  RecordingJournal journal;
  SlowDriveReport report(journal, std::chrono::milliseconds(10000));
  const struct {
    DriveNumber drive;
    bool overran;
  } series[] = {{1, false}, {1, true}, {1, true}, {0, true}, {1, false}, {1, false}, {1, true}};
  for (const auto& s : series) report.SeriesEnded(s.drive, s.overran);
  const std::string late = " did not answer within 10 seconds and reads as not answering";
  EXPECT_EQ(journal.Lines, (std::vector<std::string>{"Drive 1" + late, "Drive 0" + late,
                                                     "Drive 1 answers again", "Drive 1" + late}));
}

}  // namespace
}  // namespace halvoric::testing
