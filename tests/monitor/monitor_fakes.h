// SPDX-License-Identifier: GPL-3.0-or-later
// The window as the monitor's logic sees it, and the journal it writes to.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "drive/sim/scenario.h"
#include "drive/sim/simulated_disks.h"
#include "monitor/health_watch.h"
#include "monitor/hibernation_countdown.h"
#include "monitor/mail_dispatch.h"
#include "monitor/self_test_watch.h"
#include "monitor/temperature_watch.h"
#include "monitor/tray_status.h"
#include "settings/journal.h"
#include "tests/services/service_fakes.h"

namespace halvoric::testing {

class RecordingJournal final : public JournalLines {
 public:
  void AddLogLine(const std::string& message) override { Lines.push_back(message); }
  void AddLogLineBareToSystemLog(const std::string& message) override {
    Lines.push_back(message);
    BareRecords.push_back(message);
  }
  bool Has(const std::string& line) const {
    return std::find(Lines.begin(), Lines.end(), line) != Lines.end();
  }
  std::vector<std::string> Lines;        // as the Log page shows them, without dates
  std::vector<std::string> BareRecords;  // reaching the system log without a date
};

class FakeWindow final : public WatchView,
                         public AlertView,
                         public CountdownView,
                         public TrayStatusView,
                         public HealthView {
 public:
  std::vector<DriveNumber> WatchedDrives() const override { return Watched; }
  void StartCheckTimer() override {
    CheckTimer = true;
    if (TellCheckTimer) TellCheckTimer(true);
  }
  void StopCheckTimer() override {
    CheckTimer = false;
    if (TellCheckTimer) TellCheckTimer(false);
  }
  bool CheckTimerActive() const override { return CheckTimer; }
  void BringToFront() override { ++Fronts; }
  void ShowCriticalTemperature(const std::string& text) override { CriticalField = text; }

  void SetCaption(const std::string& caption) override { Caption = caption; }
  void StartCountdownTimer() override { CountdownTimer = true; }
  void StopCountdownTimer() override { CountdownTimer = false; }

  std::vector<DriveNumber> ListedDrives() const override { return Listed; }
  void ShowDriveReading(DriveNumber n, const LastReading& reading) override {
    Shown[n] = reading;
    const auto row = std::find(Listed.begin(), Listed.end(), n);
    if (row == Listed.end()) return;
    const auto i = static_cast<std::size_t>(row - Listed.begin());
    if (i >= TempCells.size()) TempCells.resize(i + 1);
    TempCells[i] = reading.Temperature;
  }
  void ShowStatusBalloon(const std::string& text, std::uint8_t seconds) override {
    Balloons.push_back(text);
    BalloonSeconds = seconds;
  }

  void StartHealthTimer(std::uint32_t minutes) override { HealthTimerMinutes = minutes; }
  void StopHealthTimer() override { HealthTimerMinutes = 0; }

  std::vector<DriveNumber> Watched;
  bool CheckTimer = false;
  // Told of each start and stop, as the window's timer tells the watch.
  std::function<void(bool running)> TellCheckTimer;
  std::uint32_t HealthTimerMinutes = 0;
  int Fronts = 0;
  std::string CriticalField;
  std::string Caption = kWindowCaption;
  bool CountdownTimer = false;
  std::vector<DriveNumber> Listed;
  std::vector<std::string> TempCells;  // by row of Listed
  std::map<DriveNumber, LastReading> Shown;
  std::vector<std::string> Balloons;
  int BalloonSeconds = 0;
};

// Hands each mail to the mailer at once and reports back at once: the watch's
// logic without the mail thread.
class ImmediateMailQueue final : public MailQueue {
 public:
  explicit ImmediateMailQueue(Mailer& mailer) : mailer_(mailer) {}
  void Send(MailArguments mail, Done done) override {
    const Result<> sent = mailer_.Send(mail);
    if (done) done(sent);
  }

 private:
  Mailer& mailer_;
};

// Everything the watches talk to besides the drives and the mail, with the
// warning on and mails going to ops@example.org.
struct WatchRig {
  WatchRig() {
    Window.Watched = {0};
    Values.TempWarn = true;
    Values.EmailNotification = true;
    Values.EmailAddr = "ops@example.org";
  }
  // The alert channels both watches raise on, made at the first watch.
  AlertChannels& Channels(MailQueue& mails) {
    if (!Alerts)
      Alerts.emplace(Values, Journal, AlertServices{mails, Sound, Messages, Window, Time});
    return *Alerts;
  }
  TemperatureWatch Watch(DriveQueue& drives, MailQueue& mails, Mailer& testMail,
                         ReadingLog* history = nullptr) {
    return TemperatureWatch(Window, Values, Journal, Countdown,
                            {drives, Channels(mails), testMail, Messages, Last, history});
  }
  HealthWatch Health(DriveQueue& drives, MailQueue& mails, const std::string& record,
                     ReadingLog* history = nullptr) {
    return HealthWatch(Window, Values, Journal, {drives, Channels(mails), history}, record);
  }
  SelfTestWatch SelfTests(DriveQueue& drives, HealthWatch& health) {
    return SelfTestWatch(Window, Values, Journal, {drives, Last, health, Time, Calendar});
  }

  FakeWindow Window;
  RecordingJournal Journal;
  FakeSound Sound;
  FakePower Power;
  FakeMessages Messages;
  FakeClock Time;
  FakeWallClock Calendar;
  LastReadings Last;
  Settings Values;
  HibernationCountdown Countdown{Window, Journal, Power};
  std::optional<AlertChannels> Alerts;
};

// The tasks the drives' thread hands to the window's thread, which the
// test's thread runs as they come.
class WindowTasks {
 public:
  void Post(std::function<void()> task) {
    {
      const std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
    }
    arrived_.notify_one();
  }
  // Runs the next task once it comes within `wait`; false if none came.
  bool RunNext(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, wait, [this] { return !tasks_.empty(); })) return false;
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    ++Ran;
    return true;
  }
  int Ran = 0;

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::function<void()>> tasks_;
};

inline const std::string kDegrees =
    "\xC2\xB0"
    "C";

// Models come back at their full 40 characters, blank-padded as drives send them.
inline std::string Padded(const std::string& model) {
  return model + std::string(40 - model.size(), ' ');
}

// Passes every request on to `inner` and says the kernel shows `Limits[n]`
// for drive n: simulated drives that name their own temperature limits,
// with `Nvme` tables that read as the NVMe translation's, and with `Count`
// a machine with more disks than the scenario.
class DrivesWithLimits final : public DiskControl {
 public:
  explicit DrivesWithLimits(DiskControl& inner) : inner_(inner) {}
  OpenResult Open(const std::string& path) override { return inner_.Open(path); }
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override {
    return inner_.Control(handle, code, in, inSize, out, outSize);
  }
  void Close(DeviceHandle handle) override { inner_.Close(handle); }
  TemperatureLimits KernelLimits(unsigned n) const override {
    const auto found = Limits.find(n);
    return found == Limits.end() ? TemperatureLimits{} : found->second;
  }
  bool AnswersFromNvme(DeviceHandle) const override { return Nvme; }
  unsigned DriveCount() const override { return Count.value_or(inner_.DriveCount()); }
  bool RuntimeSuspended(unsigned n) const override { return inner_.RuntimeSuspended(n); }
  std::map<unsigned, TemperatureLimits> Limits;
  bool Nvme = false;
  std::optional<unsigned> Count;  // the disks the kernel lists, if not the scenario's

 private:
  DiskControl& inner_;
};

inline sim::Scenario ScenarioOrFail(const std::string& text) {
  Result<sim::Scenario> result = sim::ParseScenario(text, "test", ".");
  EXPECT_TRUE(result.Ok()) << result.Message;
  return result.Ok() ? std::move(*result) : sim::Scenario{};
}

}  // namespace halvoric::testing
