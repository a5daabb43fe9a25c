// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/drive_monitor.h"

#include "base/diagnostics.h"
#include "drive/drive_database_files.h"
#include "monitor/health_record.h"
#include "monitor/history_store.h"

namespace halvoric {

DriveMonitor::DriveMonitor(MonitorServices services)
    : services_(std::move(services)),
      deadline_(services_.Disks, services_.SeriesDeadline,
                // On the drives' thread, inside the work that opened the drive.
                [this](DriveNumber n, bool overran) { endedInWork_.emplace_back(n, overran); }),
      reader_(deadline_),
      driveThread_(services_.SeriesOnOwnThread
                       ? std::make_unique<DriveThread>(reader_, services_.Post)
                       : nullptr),
      queue_(*this, driveThread_ ? static_cast<DriveQueue&>(*driveThread_) : reader_),
      historyThread_(services_.SeriesOnOwnThread ? std::make_unique<WorkThread>(services_.Post)
                                                 : nullptr),
      alertMails_(services_.Mail, services_.Post) {
  if (services_.DriveDatabaseFiles.empty()) return;
  // Parsed on the drives' thread while the window is built; the scan
  // queues behind it.
  queue_.Run(
      [this](DriveReader& reader) {
        std::shared_ptr<const DriveDatabase> database =
            services_.KeptDriveDatabase.empty()
                ? LoadDriveDatabase(services_.DriveDatabaseFiles)
                : LoadDriveDatabase(services_.DriveDatabaseFiles, services_.KeptDriveDatabase);
        if (database) databaseSkipped_ = database->Skipped;
        reader.UseDatabase(std::move(database));
        Diagnose(DiagnosticArea::Startup, "the drive database read (drives' thread)");
      },
      {});
}

DriveMonitor::~DriveMonitor() { Stop(); }

DriveMonitor::Attached::Attached(DriveMonitor& m, MonitorViews views)
    : SlowDrives(views.Journal, m.services_.SeriesDeadline),
      History(views.Journal, m.services_.Calendar, HistoryFileName,
              m.historyThread_ ? static_cast<WorkRunner&>(*m.historyThread_) : m.inPlaceWrites_),
      Acknowledged(m.queue_, views.Journal, AcknowledgedWarningsFileName),
      Countdown(views.Countdown, views.Journal, m.services_.PowerControl),
      Alerts(
          m.settings_, views.Journal,
          {m.alertMails_, m.services_.Sounds, m.services_.Prompt, views.Alerts, m.services_.Time}),
      Watch(views.Watch, m.settings_, views.Journal, Countdown,
            {m.queue_, Alerts, m.services_.Mail, m.services_.Messages, m.last_, &History,
             &Acknowledged, &SelfTests}),
      Health(views.Health, m.settings_, views.Journal, {m.queue_, Alerts, &History, &SelfTests},
             HealthRecordFileName),
      SelfTests(views.Watch, m.settings_, views.Journal,
                {m.queue_, m.last_, Health, m.services_.Time, m.services_.Calendar}),
      TrayStatus(views.Tray, m.settings_, m.queue_, m.last_, &History, &Acknowledged),
      Scan(m.queue_, m.services_.Access, views.Lists, views.Journal, m.last_, &History,
           &Acknowledged),
      Exams(m.queue_, views.Journal, views.Tray, &SelfTests) {
  if (m.services_.DriveNames) Watch.DescribeDrivesWith(m.services_.Access, m.services_.DriveNames);
}

void DriveMonitor::Attach(MonitorViews views) {
  attached_ = std::make_unique<Attached>(*this, views);
}

void DriveMonitor::Stop() {
  // A closing program waits for no drive: only the request under way ends.
  deadline_.Cancel();
  if (driveThread_) driveThread_->Stop();
  // Readings already taken are kept.
  if (historyThread_) historyThread_->End(WorkThread::Waiting::Run);
  alertMails_.End();
}

void DriveMonitor::StartUp() {
  if (progressView_ != nullptr) {
    const ScanProgress progress{*progressView_, services_.Time};
    Scan().ScanDrives(&progress);
  } else {
    Scan().ScanDrives();
  }
  Diagnose(DiagnosticArea::Startup,
           "the scan's reads (" + std::to_string(Scan().DriveCount()) + " drives)");
  // The scan ran behind the database's load, so its skips are known.
  Scan().JournalDatabaseSkips(databaseSkipped_);
  Scan().FillDriveDetails("0");
  Diagnose(DiagnosticArea::Startup, "drive 0's detail pages");
  Scan().JournalMissingRights();
  Scan().JournalDriveLimits(settings_.CritTempValue);
  Scan().JournalModelWarnings();
  SelfTests().Start();
  if (!services_.KeptDriveDatabase.empty()) {
    // Behind the scan, which met every drive of the machine.
    queue_.Run([kept = services_.KeptDriveDatabase](
                   DriveReader& reader) { static_cast<void>(reader.KeepDatabase(kept)); },
               {});
  }
}

bool DriveMonitor::AcknowledgeWarning(DriveNumber n) {
  const auto last = last_.find(n);
  return last != last_.end() && attached_->Acknowledged.Acknowledge(n, last->second);
}

void DriveMonitor::Report(const SeriesEnds& ends) {
  if (!attached_) return;
  for (const auto& [n, overran] : ends) attached_->SlowDrives.SeriesEnded(n, overran);
}

std::pair<DriveQueue::Work, DriveQueue::Done> DriveMonitor::ReportingQueue::Reporting(Work work,
                                                                                      Done done) {
  auto ends = std::make_shared<SeriesEnds>();
  return {[this, work = std::move(work), ends](DriveReader& reader) {
            work(reader);
            ends->swap(monitor_.endedInWork_);
          },
          [this, done = std::move(done), ends] {
            if (done) done();
            monitor_.Report(*ends);
          }};
}

void DriveMonitor::ReportingQueue::Run(Work work, Done done) {
  auto [reporting, reported] = Reporting(std::move(work), std::move(done));
  inner_.Run(std::move(reporting), std::move(reported));
}

void DriveMonitor::ReportingQueue::RunAt(const void* timer, TimePoint when, Work work, Done done) {
  auto [reporting, reported] = Reporting(std::move(work), std::move(done));
  inner_.RunAt(timer, when, std::move(reporting), std::move(reported));
}

void DriveMonitor::ReportingQueue::RunAndWait(Work work, const Meanwhile& meanwhile) {
  SeriesEnds ends;
  inner_.RunAndWait(
      [this, &work, &ends](DriveReader& reader) {
        work(reader);
        ends.swap(monitor_.endedInWork_);
      },
      meanwhile);
  monitor_.Report(ends);
}

}  // namespace halvoric
