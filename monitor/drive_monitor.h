// SPDX-License-Identifier: GPL-3.0-or-later
// The monitor without its window: the drive thread and the series deadline,
// the history's thread and store, the watches and their alert channels, the
// tray status report, the last readings, the slow-drive report, the
// health record and the examinations the user asks for. The program's entry builds it and hands it
// to the window, which attaches its views and shows it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "base/work_thread.h"
#include "drive/drive_queue.h"
#include "drive/drive_reader.h"
#include "drive/series_deadline.h"
#include "monitor/acknowledged_warnings.h"
#include "monitor/alert_channels.h"
#include "monitor/drive_scan.h"
#include "monitor/examinations.h"
#include "monitor/health_watch.h"
#include "monitor/hibernation_countdown.h"
#include "monitor/history_recorder.h"
#include "monitor/last_readings.h"
#include "monitor/mail_dispatch.h"
#include "monitor/self_test_watch.h"
#include "monitor/slow_drives.h"
#include "monitor/temperature_watch.h"
#include "monitor/tray_status.h"
#include "services/hibernator.h"
#include "settings/settings.h"

namespace halvoric {

// Everything the monitor reaches outside the process. The services are
// owned elsewhere and outlive the monitor.
struct MonitorServices {
  DiskControl& Disks;
  // Which rights reached each drive; null for simulated drives, which need none.
  const DriveAccess* Access = nullptr;
  // The kernel's name of each drive, for the metrics file; empty for
  // simulated drives, which get made-up names.
  TemperatureWatch::DeviceNames DriveNames;
  // The drive database's files, searched first to last; none keeps the
  // built-in attribute names and formats.
  std::vector<std::string> DriveDatabaseFiles;
  // Where the entries the drives need are kept between starts; empty for
  // none: the files are parsed at every start.
  std::string KeptDriveDatabase;
  Mailer& Mail;
  SoundPlayer& Sounds;
  Hibernator& PowerControl;
  AlertPrompt& Prompt;
  // Replaceable, so that start-up can put the splash-aware boxes in front.
  std::reference_wrapper<MessageBoxes> Messages;
  const Clock& Time;
  // The calendar time the temperature history is kept in.
  const WallClock& Calendar;
  // Hands a task to the thread that made the monitor, to run there later.
  WorkThread::Post Post;
  // Drive series and history writes run on threads of their own, so that a
  // drive or disk slow to answer does not hold up the window. Tests that
  // look at a tick's outcome at once run them in place.
  bool SeriesOnOwnThread = true;
  std::chrono::milliseconds SeriesDeadline = kSeriesDeadline;
};

// The window as the monitor shows itself in it.
struct MonitorViews {
  JournalLines& Journal;
  WatchView& Watch;
  AlertView& Alerts;
  CountdownView& Countdown;
  TrayStatusView& Tray;
  HealthView& Health;
  DriveScanSinks Lists;
};

class DriveMonitor {
 public:
  // Starts the monitor's threads; nothing but the drive database's load
  // runs on them before Attach.
  explicit DriveMonitor(MonitorServices services);
  ~DriveMonitor();
  DriveMonitor(const DriveMonitor&) = delete;
  DriveMonitor& operator=(const DriveMonitor&) = delete;

  // Builds the watches, the scan and the reports on the window's views; once.
  void Attach(MonitorViews views);
  // Ends every thread: the request under way is the last one a drive sees,
  // readings already taken are written, and no result comes back after.
  // Call it before the views go.
  void Stop();

  // The start-up's drive part: the scan, drive 0's detail pages, then what
  // the scan and the drive database's load met. Returns once all of it is shown and journalled.
  void StartUp();
  // Where StartUp's scan tells how far it has come once it takes long; none tells none.
  void ShowScanProgressOn(ScanProgressView* view) { progressView_ = view; }

  const MonitorServices& Services() const { return services_; }
  Settings& Values() { return settings_; }
  DriveScan& Scan() { return attached_->Scan; }
  TemperatureWatch& Watch() { return attached_->Watch; }
  HealthWatch& Health() { return attached_->Health; }
  // A self-test started or aborted from the window tells it here.
  SelfTestWatch& SelfTests() { return attached_->SelfTests; }
  HibernationCountdown& Countdown() { return attached_->Countdown; }
  TrayStatusReport& TrayStatus() { return attached_->TrayStatus; }
  HistoryRecorder& History() { return attached_->History; }
  const LastReadings& Last() const { return last_; }
  // The user acknowledged drive `n`'s warning: it reads OK from its last
  // reading on, until a count behind it changes. False when that reading
  // is no WARN that can be kept.
  bool AcknowledgeWarning(DriveNumber n);

  // The user's examinations of a drive (monitor/examinations.h).
  void StartSelfTest(DriveNumber n, SelfTestAction action, Examinations::StartDone done) {
    attached_->Exams.StartSelfTest(n, action, std::move(done));
  }
  void ReadLogs(DriveNumber n, Waking waking, Examinations::LogsDone done) {
    attached_->Exams.ReadLogs(n, waking, std::move(done));
  }
  const KnownSelfTests* SelfTestsOf(DriveNumber n) const { return attached_->Exams.Known(n); }

 private:
  // The drive queue as every user of it sees it: what each work met
  // (drives past their deadline, or back in time) is journalled once that
  // work's results are shown, so that a drive's line follows the lines of
  // the drives read before it in the same work.
  class ReportingQueue final : public DriveQueue {
   public:
    ReportingQueue(DriveMonitor& monitor, DriveQueue& inner) : monitor_(monitor), inner_(inner) {}
    void Run(Work work, Done done) override;
    void RunAndWait(Work work, const Meanwhile& meanwhile = {}) override;
    void RunAt(const void* timer, TimePoint when, Work work, Done done) override;
    void Cancel(const void* timer) override { inner_.Cancel(timer); }

   private:
    // `work` and `done` with the work's series ends handed from one to the other.
    std::pair<Work, Done> Reporting(Work work, Done done);

    DriveMonitor& monitor_;
    DriveQueue& inner_;
  };
  using SeriesEnds = std::vector<std::pair<DriveNumber, bool>>;

  struct Attached {
    Attached(DriveMonitor& monitor, MonitorViews views);
    SlowDriveReport SlowDrives;
    HistoryRecorder History;
    AcknowledgedWarnings Acknowledged;
    HibernationCountdown Countdown;
    AlertChannels Alerts;
    TemperatureWatch Watch;
    HealthWatch Health;
    SelfTestWatch SelfTests;
    TrayStatusReport TrayStatus;
    DriveScan Scan;
    Examinations Exams;
  };

  void Report(const SeriesEnds& ends);

  MonitorServices services_;
  Settings settings_;
  // Filled by the drives' thread during one work, taken at its end.
  SeriesEnds endedInWork_;
  SeriesDeadline deadline_;
  DriveReader reader_;
  std::unique_ptr<DriveThread> driveThread_;  // none: series run in place
  ReportingQueue queue_;
  InPlaceWork inPlaceWrites_;
  std::unique_ptr<WorkThread> historyThread_;  // none: history written in place
  MailDispatch alertMails_;
  LastReadings last_;
  // Written by the drives' thread before the scan, read after it.
  std::vector<std::string> databaseSkipped_;
  ScanProgressView* progressView_ = nullptr;
  std::unique_ptr<Attached> attached_;
};

}  // namespace halvoric
