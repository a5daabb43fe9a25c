// SPDX-License-Identifier: GPL-3.0-or-later
// The temperature watch and the hibernation countdown, driven through their
// views on simulated drives, without a window.
#include <chrono>
#include <filesystem>
#include <memory>

#include "tests/base/temp_files.h"
#include "tests/monitor/monitor_fakes.h"
#include "tests/services/service_fakes.h"

namespace halvoric::testing {
namespace {

class WatchTest : public ::testing::Test {
 protected:
  // The watch runs only while the warning is on; each test switches on the
  // channels it looks at.
  WatchTest() {
    settings_.EmailNotification = false;
    settings_.EmailAddr.clear();
  }
  // Drive 0 at `celsius`, watched, with the warning on.
  void Hot(int celsius) {
    disks_ = std::make_unique<sim::SimulatedDisks>(ScenarioOrFail(
        "[drive 0]\nmodel = Hot\nattribute = 194 value=100 worst=90 raw=0\ntemperature = " +
        std::to_string(celsius) + "\n"));
    drives_ = std::make_unique<DriveReader>(*disks_);
    MakeWatch();
    window_.Watched = {0};
    settings_.TempWarn = true;
    window_.CheckTimer = true;
  }
  // Mail and sound alerts on, to a sound file that exists.
  void MailAndSound() {
    settings_.EmailNotification = true;
    settings_.EmailAddr = "ops@example.org";
    settings_.PlaySound = true;
    settings_.SoundPath = dir_.File("alert sound.wav");
    WriteFile(settings_.SoundPath, "RIFF");
  }
  void SetTemperature(int celsius) { disks_->Drives().Drives[0].Temperatures = {{0, celsius}}; }
  // Drive 0 names `warning` as its own warning temperature.
  void OwnWarning(std::optional<int> warning) {
    limited_ = std::make_unique<DrivesWithLimits>(*disks_);
    limited_->Limits[0].Warning = warning;
    drives_ = std::make_unique<DriveReader>(*limited_);
    MakeWatch();
  }
  // A new watch on `drives_`, with alert channels of its own.
  void MakeWatch() {
    watch_.reset();
    rig_.Alerts.reset();
    watch_ = std::make_unique<TemperatureWatch>(rig_.Watch(*drives_, queue_, mail_));
  }

  TempDir dir_;
  WatchRig rig_;
  FakeWindow& window_ = rig_.Window;
  RecordingJournal& journal_ = rig_.Journal;
  Settings& settings_ = rig_.Values;
  FakeMailer mail_;
  ImmediateMailQueue queue_{mail_};
  FakeSound& sound_ = rig_.Sound;
  FakePower& power_ = rig_.Power;
  FakeMessages& messages_ = rig_.Messages;
  FakeClock& clock_ = rig_.Time;
  LastReadings& last_ = rig_.Last;
  HibernationCountdown& countdown_ = rig_.Countdown;
  std::unique_ptr<sim::SimulatedDisks> disks_;
  std::unique_ptr<DrivesWithLimits> limited_;
  std::unique_ptr<DriveReader> drives_;
  std::unique_ptr<TemperatureWatch> watch_;
};

TEST_F(WatchTest, MailAndSoundFireOnlyAboveTheCriticalTemperature) {
  for (const auto& [celsius, fires] : {std::pair{50, false}, std::pair{51, true}}) {
    SCOPED_TRACE(celsius);
    Hot(celsius);
    MailAndSound();
    mail_.Sent.clear();
    sound_.Played.clear();
    journal_.Lines.clear();
    watch_->Check();
    watch_->Check();  // the sound repeats while hot, the mail waits for its reminder
    EXPECT_EQ(mail_.Sent.size(), fires ? 1u : 0u);
    EXPECT_EQ(sound_.Played.size(), fires ? 2u : 0u);
    if (fires) {
      EXPECT_EQ(journal_.Lines.front(), "SEND email to : ops@example.org");
      EXPECT_EQ(mail_.Sent[0].Recipient, "ops@example.org");
      EXPECT_EQ(mail_.Sent[0].Subject, "Halvoric Alert!");
      EXPECT_EQ(mail_.Sent[0].Body, "The current temperature is: 51");
      EXPECT_EQ(mail_.Sent[0].Reserved9, 1000);
      EXPECT_EQ(sound_.Played[0], settings_.SoundPath);
    }
    EXPECT_TRUE(messages_.Alerts.empty());
    EXPECT_TRUE(window_.CheckTimer);
  }
}

TEST_F(WatchTest, ChannelsThatCannotFireStayQuiet) {
  // Blank address, missing sound file, failing mail, no temperature at all.
  Hot(60);
  settings_.EmailNotification = true;
  settings_.EmailAddr = "  ";
  settings_.PlaySound = true;
  settings_.SoundPath = dir_.File("missing.wav");
  watch_->Check();
  EXPECT_TRUE(mail_.Sent.empty());
  EXPECT_TRUE(sound_.Played.empty());
  EXPECT_TRUE(journal_.Lines.empty());
  watch_->SendTestMail();
  EXPECT_TRUE(mail_.Sent.empty());

  std::filesystem::create_directory(dir_.File("sounds"));  // a folder is no sound file
  settings_.SoundPath = dir_.File("sounds");
  watch_->Check();
  EXPECT_TRUE(sound_.Played.empty());
  EXPECT_TRUE(journal_.Lines.empty());

  settings_.EmailAddr = "ops@example.org";
  mail_.Reply = Failure{"Connection refused"};
  watch_->Check();
  EXPECT_EQ(journal_.Lines,
            (std::vector<std::string>{"SEND email to : ops@example.org",
                                      "The alert mail was not sent: Connection refused"}));

  disks_->Drives().Drives[0].Temperatures.clear();
  disks_->Drives().Drives[0].Attributes[0].Id = 231;  // a drive without temperature
  mail_.Sent.clear();
  watch_->Check();
  EXPECT_TRUE(mail_.Sent.empty());
}

TEST_F(WatchTest, PopupRaisesTheCriticalTemperatureToTheDrivesTemperature) {
  Hot(52);
  settings_.PopupNotification = true;
  bool timerStoppedWhileWaiting = false;
  messages_.WhileAlertWaits = [&] { timerStoppedWhileWaiting = !window_.CheckTimer; };
  watch_->Check();
  EXPECT_EQ(journal_.Lines,
            (std::vector<std::string>{"Temperature is over maximum: 52 > 50",
                                      "USER cancelled the HIBERNATE action !",
                                      "CHANGED the alert temperature to: 52\u00B0"}));
  EXPECT_TRUE(timerStoppedWhileWaiting);
  EXPECT_EQ(window_.Fronts, 1);
  ASSERT_EQ(messages_.Alerts.size(), 1u);
  EXPECT_EQ(messages_.Alerts[0],
            "A drive is at 52\u00B0C, above the critical temperature of 50\u00B0C.");
  EXPECT_EQ(settings_.CritTempValue, 52);
  EXPECT_EQ(settings_.Temp, "52");
  EXPECT_EQ(window_.CriticalField, "52");
  EXPECT_FALSE(window_.CountdownTimer);  // hibernation is off
  EXPECT_TRUE(window_.CheckTimer);

  watch_->Check();  // still 52: no second popup
  EXPECT_EQ(messages_.Alerts.size(), 1u);
  SetTemperature(53);
  watch_->Check();
  EXPECT_EQ(messages_.Alerts.size(), 2u);
}

// With UseDriveLimits a drive alerts at the lower of the critical
// temperature (75 here) and its own warning temperature; without it, or
// when the drive names none, at the critical temperature alone.
TEST_F(WatchTest, DriveLimitsLowerTheAlertTemperature) {
  const struct {
    bool use;
    std::optional<int> warning;
    int celsius;
    const char* alert;  // the popup's text, or none
  } cases[] = {
      {false, 60, 65, nullptr},
      {true, 60, 60, nullptr},
      {true, 60, 61, "A drive is at 61\u00B0C, above its own warning temperature of 60\u00B0C."},
      {true, 80, 76, "A drive is at 76\u00B0C, above the critical temperature of 75\u00B0C."},
      {true, 75, 76, "A drive is at 76\u00B0C, above the critical temperature of 75\u00B0C."},
      {true, std::nullopt, 70, nullptr},
      {true, std::nullopt, 76,
       "A drive is at 76\u00B0C, above the critical temperature of 75\u00B0C."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.use) + " " + std::to_string(c.warning.value_or(-1)) + " " +
                 std::to_string(c.celsius));
    Hot(c.celsius);
    OwnWarning(c.warning);
    settings_ = {
        .TempWarn = true, .PopupNotification = true, .CritTempValue = 75, .UseDriveLimits = c.use};
    messages_.Alerts.clear();
    watch_->Check();
    EXPECT_EQ(messages_.Alerts,
              c.alert ? std::vector<std::string>{c.alert} : std::vector<std::string>{});
    // An answer never lowers the critical temperature.
    EXPECT_EQ(settings_.CritTempValue, c.alert ? std::max(75, c.celsius) : 75);
  }
}

// Once the user answered an alert at the drive's own warning, that drive
// alerts at the critical temperature until it cools below its own again.
TEST_F(WatchTest, AnsweredOwnWarningHoldsUntilTheDriveCools) {
  Hot(61);
  OwnWarning(60);
  settings_ = {
      .TempWarn = true, .PopupNotification = true, .CritTempValue = 75, .UseDriveLimits = true};
  const std::pair<int, std::size_t> steps[] = {
      {61, 1}, {64, 1}, {59, 1}, {76, 2},  // the critical temperature still alerts
      {57, 2}, {61, 3},                    // cooled below 58, the own warning is back
  };
  for (const auto& [celsius, alerts] : steps) {
    SetTemperature(celsius);
    watch_->Check();
    EXPECT_EQ(messages_.Alerts.size(), alerts) << celsius;
  }
  EXPECT_TRUE(journal_.Has("Temperature is over maximum: 61 > 60"));
}

// The popup's wait runs the event loop, and the user may switch the warning
// off and on meanwhile; the check that the restart brings must not alert the
// same drive again, nor move the countdown the first alert started.
TEST_F(WatchTest, NoCheckRunsWhileAPopupAlertWaits) {
  Hot(70);
  settings_.Hibernation = true;
  settings_.PopupNotification = true;
  messages_.WhileAlertWaits = [&] {
    EXPECT_TRUE(watch_->AlertWaiting());
    countdown_.Tick();
    watch_->WarningChanged(false);
    watch_->WarningChanged(true);
    watch_->Check();  // the check the restart brings
    EXPECT_EQ(countdown_.SecondsLeft(), 59);
    EXPECT_TRUE(window_.CountdownTimer);
  };
  watch_->Check();
  EXPECT_EQ(messages_.Alerts.size(), 1u);
  EXPECT_TRUE(window_.CheckTimer);  // the answer restarted the watch
  EXPECT_EQ(settings_.CritTempValue, 70);
}

// Switching the warning off while the popup waits keeps it off after the
// answer; ticking the box again never puts off a check already due.
TEST_F(WatchTest, TheWarningsBoxStartsAndStopsTheChecks) {
  Hot(70);
  settings_.PopupNotification = true;
  messages_.WhileAlertWaits = [&] { watch_->WarningChanged(false); };
  watch_->Check();
  EXPECT_FALSE(settings_.TempWarn);
  EXPECT_FALSE(window_.CheckTimer);
  EXPECT_EQ(journal_.Lines[1], "DISABLE temperature warning");

  watch_->WarningChanged(true);
  EXPECT_TRUE(window_.CheckTimer);
  EXPECT_TRUE(settings_.TempWarn);
  EXPECT_EQ(journal_.Lines.back(), "ENABLED temperature warning");
}

TEST_F(WatchTest, HibernationCountsDownOnlyWithThePopupOn) {
  Hot(70);
  settings_.Hibernation = true;
  watch_->Check();
  EXPECT_FALSE(window_.CountdownTimer);
  EXPECT_EQ(window_.Caption, "Halvoric");
  EXPECT_EQ(power_.Requests, 0);
}

TEST_F(WatchTest, DismissingTheAlertStopsTheCountdown) {
  Hot(70);
  settings_.Hibernation = true;
  settings_.PopupNotification = true;
  std::string captionAt12;
  messages_.WhileAlertWaits = [&] {
    EXPECT_TRUE(window_.CountdownTimer);
    for (int tick = 0; tick < 48; ++tick) countdown_.Tick();
    captionAt12 = window_.Caption;
  };
  watch_->Check();
  EXPECT_EQ(captionAt12, "Hibernate on 12s");
  EXPECT_EQ(countdown_.SecondsLeft(), 12);
  EXPECT_FALSE(window_.CountdownTimer);
  EXPECT_EQ(window_.Caption, "Halvoric");
  EXPECT_FALSE(journal_.Has("Halvoric was Hibernated"));
  EXPECT_EQ(power_.Requests, 0);
  ASSERT_EQ(messages_.Alerts.size(), 1u);
  EXPECT_NE(messages_.Alerts[0].find("The PC hibernates in 60 seconds unless you answer."),
            std::string::npos);
}

TEST_F(WatchTest, CountdownRunningOutHibernatesOnce) {
  for (bool refused : {false, true}) {
    SCOPED_TRACE(refused);
    Hot(70);
    settings_.CritTempValue = 50;
    settings_.Hibernation = true;
    settings_.PopupNotification = true;
    power_.Requests = 0;
    power_.Reply = refused ? Result<>(Failure{"not supported"}) : Result<>::Done();
    journal_ = {};
    std::vector<std::string> atZero;
    messages_.WhileAlertWaits = [&] {
      for (int tick = 0; tick < 60; ++tick) countdown_.Tick();
      atZero = journal_.Lines;
      EXPECT_EQ(window_.Caption, "Hibernate on 0s");
      EXPECT_FALSE(window_.CountdownTimer);
    };
    watch_->Check();
    EXPECT_EQ(power_.Requests, 1);
    ASSERT_GE(atZero.size(), 2u);
    EXPECT_EQ(atZero[1], "Halvoric was Hibernated");
    EXPECT_EQ(atZero.size(), refused ? 3u : 2u);
    if (refused) {
      EXPECT_EQ(atZero[2], "Hibernation was refused: not supported");
    }
    EXPECT_EQ(journal_.BareRecords.front(), "Halvoric was Hibernated");
  }
}

TEST_F(WatchTest, ClearedRowsAreNeverRead) {
  disks_ = std::make_unique<sim::SimulatedDisks>(ScenarioOrFail(
      "[drive 0]\nattribute = 194 value=60 raw=60\n[drive 1]\nattribute = 194 value=60 raw=60\n"
      "[drive 2]\nattribute = 194 value=60 raw=60\n"));
  drives_ = std::make_unique<DriveReader>(*disks_);
  MakeWatch();
  TemperatureWatch& watch = *watch_;
  MailAndSound();
  window_.Watched = {0, 2};
  watch.Check();
  std::vector<std::string> opened;
  for (const auto& event : disks_->Events()) {
    if (event.What == sim::RecordedEvent::Kind::Open) opened.push_back(event.Path);
  }
  // Each watched drive is opened once: its power mode, then the series.
  EXPECT_EQ(opened, (std::vector<std::string>{"\\\\.\\PhysicalDrive0", "\\\\.\\PhysicalDrive2"}));
  EXPECT_EQ(mail_.Sent.size(), 2u);
}

// The check timer's clock runs where the drives are read: each check reads
// there at its time and costs the window's thread one task, which judges
// the readings and starts the timer again. Rows ticked meanwhile are read
// at the time the check had; a stopped timer's check never comes.
TEST_F(WatchTest, EachScheduledCheckCostsTheWindowOneTask) {
  using namespace std::chrono_literals;
  disks_ = std::make_unique<sim::SimulatedDisks>(ScenarioOrFail(
      "[drive 0]\nattribute = 194 value=60 raw=70\n[drive 1]\nattribute = 194 value=60 raw=70\n"));
  DriveReader reader(*disks_);
  WindowTasks window;
  DriveThread line(reader, [&](std::function<void()> task) { window.Post(std::move(task)); });
  watch_ = std::make_unique<TemperatureWatch>(rig_.Watch(line, queue_, mail_));
  MailAndSound();
  settings_.TempWarn = true;
  window_.Watched = {0};
  window_.TellCheckTimer = [&](bool running) {
    if (running) {
      watch_->ScheduleCheck(20ms);
    } else {
      watch_->CancelCheck();
    }
  };
  window_.StartCheckTimer();
  ASSERT_TRUE(window.RunNext(2s));
  EXPECT_EQ(mail_.Sent.size(), 1u);
  EXPECT_TRUE(window_.CheckTimer);

  window_.Watched = {0, 1};
  watch_->WatchedDrivesChanged();
  ASSERT_TRUE(window.RunNext(2s));
  // Drive 0's excursion goes on; drive 1's begins.
  EXPECT_EQ(mail_.Sent.size(), 2u);
  EXPECT_EQ(window.Ran, 2);

  window_.StopCheckTimer();
  EXPECT_FALSE(window.RunNext(100ms));
  line.Stop();
}

// A drive hot for an hour mails once and reminds once; cooling by less than
// the margin is no new excursion, cooling by the margin is.
TEST_F(WatchTest, OneMailPerExcursionAndAReminderWhileItLasts) {
  Hot(51);
  MailAndSound();
  const auto tick = [&](int celsius) {
    SetTemperature(celsius);
    watch_->Check();
  };
  for (int minute = 0; minute < 60; ++minute) {
    tick(51);
    clock_.Advance(std::chrono::minutes(1));
  }
  EXPECT_EQ(mail_.Sent.size(), 1u);
  tick(52);  // sixty minutes after the first mail
  EXPECT_EQ(mail_.Sent.size(), 2u);
  EXPECT_EQ(mail_.Sent[1].Body, "The current temperature is: 52");

  tick(49);  // one below: still the same excursion
  tick(51);
  EXPECT_EQ(mail_.Sent.size(), 2u);
  tick(48);  // cooled by the margin
  tick(51);
  EXPECT_EQ(mail_.Sent.size(), 3u);
  EXPECT_EQ(sound_.Played.size(), 63u);  // the alarm at the desk repeats

  settings_.MailRepeatMinutes = 0;
  clock_.Advance(std::chrono::hours(5));
  tick(55);
  EXPECT_EQ(mail_.Sent.size(), 3u);
}

// A mail counts as sent only once the server took it: one that failed is
// tried again at the next tick, said once, and the excursion mails no more
// once one got through.
TEST_F(WatchTest, AFailedAlertMailIsTriedAgainAtTheNextTick) {
  Hot(60);
  MailAndSound();
  mail_.Reply = Failure{"Connection refused"};
  watch_->Check();
  watch_->Check();
  EXPECT_EQ(mail_.Sent.size(), 2u);
  mail_.Reply = Result<>::Done();
  watch_->Check();
  watch_->Check();
  EXPECT_EQ(mail_.Sent.size(), 3u);
  EXPECT_EQ(journal_.Lines,
            (std::vector<std::string>{"SEND email to : ops@example.org",
                                      "The alert mail was not sent: Connection refused"}));
}

// Mail switched on during an excursion still reports it once; a drive that
// stops answering for a while does not start a new one.
TEST_F(WatchTest, MailSwitchedOnLateAndSilentDrivesKeepTheExcursion) {
  Hot(60);
  watch_->Check();
  MailAndSound();
  watch_->Check();
  EXPECT_EQ(mail_.Sent.size(), 1u);
  disks_->Drives().Drives[0].Temperatures.clear();
  disks_->Drives().Drives[0].Attributes[0].Id = 231;
  watch_->Check();
  disks_->Drives().Drives[0].Attributes[0].Id = 194;
  SetTemperature(60);
  watch_->Check();
  EXPECT_EQ(mail_.Sent.size(), 1u);
}

TEST_F(WatchTest, ASoundThatCannotPlayIsJournalledOncePerExcursion) {
  disks_ = std::make_unique<sim::SimulatedDisks>(
      ScenarioOrFail("[drive 0]\nattribute = 194 value=100 raw=0\ntemperature = 60\n"));
  drives_ = std::make_unique<DriveReader>(*disks_);
  sound_.Reply = Failure{"no sound output"};
  MakeWatch();
  TemperatureWatch& watch = *watch_;
  window_.Watched = {0};
  settings_.PlaySound = true;
  settings_.SoundPath = dir_.File("alert.wav");
  WriteFile(settings_.SoundPath, "RIFF");
  const std::vector<std::string> once{"The alert sound did not play: no sound output"};
  for (int i = 0; i < 3; ++i) watch.Check();
  EXPECT_EQ(journal_.Lines, once);
  disks_->Drives().Drives[0].Temperatures = {{0, 40}};
  watch.Check();
  disks_->Drives().Drives[0].Temperatures = {{0, 60}};
  watch.Check();
  EXPECT_EQ(journal_.Lines.size(), 2u);
}

TEST_F(WatchTest, TestMailReportsWhatHappened) {
  Hot(45);
  settings_.EmailAddr = "ops@example.org";
  watch_->SendTestMail();
  ASSERT_EQ(mail_.Sent.size(), 1u);
  EXPECT_EQ(mail_.Sent[0].Body, "The current temperature is: 45\u00B0C");
  EXPECT_EQ(messages_.Errors,
            std::vector<std::string>{"The Alert! Message was sent to: ops@example.org"});

  mail_.Reply = Failure{"Couldn't connect to server"};
  watch_->SendTestMail();
  EXPECT_EQ(messages_.Errors.back(), "Couldn't connect to server");
  EXPECT_TRUE(journal_.Lines.empty());  // the test mail is not journalled
}

// The metrics file comes from the reads the watch takes anyway: one open of
// each drive per check with or without it, a disk in standby left asleep,
// one the kernel has runtime-suspended left unopened, and every watched
// drive in the file.
TEST_F(WatchTest, MetricsFileComesFromTheWatchsOwnReads) {
  const std::string scenario =
      "[drive 0]\nmodel = Warm\nattribute = 194 value=100 worst=90 raw=0\ntemperature = 44\n"
      "[drive 1]\nmodel = Resting\nattribute = 194 raw=30\npower = standby\n"
      "[drive 4]\nmodel = Suspended\nattribute = 194 raw=31\nruntime-suspend = always\n";
  for (const bool metrics : {false, true}) {
    SCOPED_TRACE(metrics);
    disks_ = std::make_unique<sim::SimulatedDisks>(ScenarioOrFail(scenario));
    drives_ = std::make_unique<DriveReader>(*disks_);
    MakeWatch();
    window_.Watched = {0, 1, 4};
    settings_.TempWarn = true;
    settings_.MetricsFile = metrics ? dir_.File("halvoric.prom") : "";
    watch_->Check();
    std::size_t opens = 0;
    for (const auto& event : disks_->Events()) {
      opens += event.What == sim::RecordedEvent::Kind::Open;
      EXPECT_FALSE(event.Woke);
    }
    EXPECT_EQ(opens, 2u);
    EXPECT_EQ(last_[0].Temperature, "44" + std::string(kDegreesCelsius));
    EXPECT_EQ(std::filesystem::exists(dir_.File("halvoric.prom")), metrics);
  }
  const std::string text = ReadFile(dir_.File("halvoric.prom"));
  for (const char* line : {
           R"(smartctl_device_temperature{device="sim0",temperature_type="current"} 44)",
           R"(smartctl_device_state{device="sim1",state="standby"} 1)",
           R"(halvoric_drive_read_ok{device="sim1"} 0)",
           R"(smartctl_device_state{device="sim4",state="standby"} 1)",
       }) {
    EXPECT_NE(text.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << text;
  }
}

// A file that cannot be written is told once, not at every tick, and again
// only after it could be written in between.
TEST_F(WatchTest, MetricsFileFailureIsJournalledOnce) {
  Hot(40);
  const std::string folder = dir_.File("later");
  settings_.MetricsFile = folder + "/halvoric.prom";
  const std::string said = "The metrics file " + settings_.MetricsFile +
                           " could not be written: No such file or directory";
  const auto told = [&] { return std::count(journal_.Lines.begin(), journal_.Lines.end(), said); };
  const struct {
    bool folderThere;
    long told;
  } ticks[] = {{false, 1}, {false, 1}, {true, 1}, {false, 2}};
  for (const auto& tick : ticks) {
    if (tick.folderThere) {
      std::filesystem::create_directory(folder);
    } else {
      std::filesystem::remove_all(folder);
    }
    watch_->Check();
    EXPECT_EQ(told(), tick.told);
  }
}

}  // namespace
}  // namespace halvoric::testing
