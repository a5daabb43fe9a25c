// SPDX-License-Identifier: GPL-3.0-or-later
// A whole day of both watches over simulated drives whose power, health and
// temperature change on a schedule: what the user would live through.
#include <memory>

#include "tests/base/temp_files.h"
#include "tests/monitor/monitor_fakes.h"
#include "tests/services/service_fakes.h"

namespace halvoric::testing {
namespace {

constexpr int kHour = 3600;

// Drive 0 sleeps from 1 h to 9 h; drive 1 reallocates sectors at 20 min and
// at 10 h; drive 2 runs hot from 12 h for an hour, up to its check at 13 h.
constexpr const char* kDay =
    "[drive 0]\nmodel = Sleeper\nserial = S0\n"
    "attribute = 5 value=100 worst=100 threshold=36 raw=0\n"
    "attribute = 194 value=60 worst=50 raw=0\ntemperature = 35\n"
    "power = standby from 3600 to 32400\n"
    "[drive 1]\nmodel = Wearing\nserial = S1\n"
    "attribute = 5 value=100 worst=100 threshold=36 raw=0\n"
    "attribute = 194 value=60 worst=50 raw=0\ntemperature = 38\n"
    "attribute-change = 5 at 1200 raw=8\nattribute-change = 5 at 36000 raw=24\n"
    "[drive 2]\nmodel = Warm\nserial = S2\n"
    "attribute = 5 value=100 worst=100 threshold=36 raw=0\n"
    "attribute = 194 value=60 worst=50 raw=0\n"
    "temperature = 0:40 43200:70 46830:40\n";

TEST(SimulatedDay, SleepersStayAsleepChangesAlertOnceHeatMailsOnceAndReminds) {
  TempDir dir;
  double now = 0;
  sim::SimulatedDisks disks(ScenarioOrFail(kDay), [&now] { return now; });
  DriveReader drives(disks);
  WatchRig rig;
  rig.Window.Watched = {0, 1, 2};
  rig.Values.CritTempValue = 50;
  FakeMailer mail;
  ImmediateMailQueue queue(mail);
  TemperatureWatch watch = rig.Watch(drives, queue, mail);
  HealthWatch health = rig.Health(drives, queue, dir.File("drive-health.txt"));

  bool onlyPowerChecksWhileAsleep = true;
  health.Start();
  for (int second = 0; second < 24 * kHour; second += 30) {
    now = second;
    rig.Time.Time = Clock::TimePoint(std::chrono::seconds(second));
    disks.ClearEvents();
    watch.Check();
    if (second % (rig.Values.HealthMinutes * 60) == 0) health.Check();
    if (second < kHour || second >= 9 * kHour) continue;
    DeviceHandle sleeper = kInvalidHandle;
    for (const sim::RecordedEvent& event : disks.Events()) {
      if (event.What == sim::RecordedEvent::Kind::Open) {
        sleeper = event.Path == DevicePath(0) ? event.Handle : kInvalidHandle;
      } else if (event.What == sim::RecordedEvent::Kind::Control && event.Handle == sleeper &&
                 event.Code != CHECK_POWER_MODE) {
        onlyPowerChecksWhileAsleep = false;
      }
      if (event.Woke) onlyPowerChecksWhileAsleep = false;
    }
  }
  EXPECT_TRUE(onlyPowerChecksWhileAsleep);
  EXPECT_EQ(rig.Last[0].Temperature,
            "35\xC2\xB0"
            "C");  // read before it fell asleep, and after

  std::vector<std::string> healthLines;
  for (const std::string& line : rig.Journal.Lines) {
    if (line.rfind("HEALTH ", 0) == 0) healthLines.push_back(line);
  }
  EXPECT_EQ(healthLines,
            (std::vector<std::string>{
                "HEALTH of drive 1 (Wearing, serial S1): Reallocated Sector Count raw 0 -> 8",
                "HEALTH of drive 1 (Wearing, serial S1): Reallocated Sector Count raw 8 -> 24"}));

  std::vector<std::string> temperatureMails;
  for (const MailArguments& sent : mail.Sent) {
    if (sent.Body.rfind("The current temperature is: ", 0) == 0)
      temperatureMails.push_back(sent.Body);
  }
  EXPECT_EQ(temperatureMails, (std::vector<std::string>{"The current temperature is: 70",
                                                        "The current temperature is: 70"}));
  EXPECT_EQ(mail.Sent.size(), 4u);  // the two health alerts and the two about the heat
}

}  // namespace
}  // namespace halvoric::testing
