// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/drive_logs_window.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QShortcut>
#include <algorithm>
#include <optional>

#include "base/text_trim.h"
#include "report/drive_logs_report.h"
#include "ui/report_view.h"

namespace halvoric {
namespace {

template <typename Log>
struct LogSource {
  const std::optional<Log> DriveLogs::*Member;
  const char* Name;
};

// Where a drive keeps both forms of a log, the one holding more is shown:
// the extended form lists only what its first page holds.
constexpr LogSource<SelfTestLog> kAtaSelfTestLogs[] = {
    {&DriveLogs::SelfTests, "SMART log 06h"},
    {&DriveLogs::ExtendedSelfTests, "extended log 07h"},
};
constexpr LogSource<SelfTestLog> kNvmeSelfTestLogs[] = {
    {&DriveLogs::SelfTests, "NVMe log page 06h"},
};
constexpr LogSource<AtaErrorLog> kAtaErrorLogs[] = {
    {&DriveLogs::Errors, "ATA summary log 01h"},
    {&DriveLogs::ExtendedErrors, "ATA extended log 03h"},
};

template <typename Log, std::size_t N, typename Size>
const LogSource<Log>* Fullest(const DriveLogs& logs, const LogSource<Log> (&sources)[N],
                              Size size) {
  const LogSource<Log>* fullest = nullptr;
  for (const LogSource<Log>& source : sources) {
    const std::optional<Log>& log = logs.*source.Member;
    if (log && (fullest == nullptr || size(*log) > size(*(logs.*fullest->Member)))) {
      fullest = &source;
    }
  }
  return fullest;
}

QString DriveWords(DriveNumber n) { return "Drive " + QString::number(n); }

QString Plural(std::size_t count, const char* one) {
  return QString::number(count) + " " + one + (count == 1 ? "" : "s");
}

void Fill(QTreeWidget& view, const QStringList& columns, const cli::LogRows& rows) {
  view.clear();
  view.setColumnCount(columns.size());
  view.setHeaderLabels(columns);
  for (const auto& cells : rows) {
    auto* item = new QTreeWidgetItem(&view);
    for (std::size_t c = 0; c < cells.size(); ++c) {
      item->setText(static_cast<int>(c), QString::fromStdString(cells[c]));
    }
  }
  view.setVisible(!rows.empty());
  view.header()->resizeSections(QHeaderView::ResizeToContents);
}

}  // namespace

DriveLogsWindow::DriveLogsWindow(DriveMonitor& monitor, DriveNumber n, const std::string& model,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window),
      monitor_(monitor),
      drive_(n),
      status_(new QLabel(this)),
      readNow_(new QPushButton("Read &now", this)),
      now_(new QLabel(this)),
      selfTestHeading_(new QLabel(this)),
      selfTests_(MakeReportView(this, {})),
      errorHeading_(new QLabel(this)),
      errors_(MakeReportView(this, {})),
      refresh_(new QPushButton("&Refresh", this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  // The model is the drive's own bytes: "[*]" in a title is the modified mark.
  const QString name = QString::fromUtf8(std::string(TrimControls(model)));
  setWindowTitle(QString::fromUtf8("Self-tests and errors \u2014 drive %1, %2")
                     .arg(n)
                     .arg(QString(name).replace("[*]", "[*][*]")));
  for (QLabel* label : {status_, now_, selfTestHeading_, errorHeading_}) {
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
  }
  // Read out by screen readers as the tables' names.
  selfTests_->setAccessibleName("Self-test log");
  errors_->setAccessibleName("Error log");
  for (QTreeWidget* view : {selfTests_, errors_}) {
    view->setFrameShape(QFrame::StyledPanel);
    view->hide();  // until there are entries to show
  }
  readNow_->hide();
  auto* close = new QPushButton("&Close", this);
  connect(readNow_, &QPushButton::clicked, this, [this] { ReadNow(); });
  connect(refresh_, &QPushButton::clicked, this, [this] { Refresh(); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);

  auto* question = new QHBoxLayout;
  question->addWidget(status_, 1);
  question->addWidget(readNow_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(refresh_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(question);
  layout->addWidget(now_);
  layout->addWidget(selfTestHeading_);
  layout->addWidget(selfTests_, 1);
  layout->addWidget(errorHeading_);
  layout->addWidget(errors_, 1);
  layout->addLayout(buttons);
  resize(640, 480);
}

void DriveLogsWindow::Refresh() { Read(Waking::LeaveAsleep); }
void DriveLogsWindow::ReadNow() { Read(Waking::Wake); }

void DriveLogsWindow::Read(Waking waking) {
  status_->setText(QString::fromUtf8("Reading the drive\u2019s logs\u2026"));
  readNow_->hide();
  refresh_->setEnabled(false);
  // The window may be closed before the drive answers.
  QPointer<DriveLogsWindow> self(this);
  monitor_.ReadLogs(drive_, waking, [self](const LogsReading& reading) {
    if (self) self->Show(reading);
  });
}

void DriveLogsWindow::Show(const LogsReading& reading) {
  refresh_->setEnabled(true);
  if (reading.LeftAsleep()) {
    status_->setText(DriveWords(drive_) +
                     (reading.LeftIn == PowerMode::Sleep ? " is asleep." : " is in standby.") +
                     " Reading its logs wakes it. Read now?");
    readNow_->show();
    readNow_->setFocus();
  } else if (reading.Logs.OpenFailure != OpenError::None) {
    status_->setText(DriveWords(drive_) + " cannot be opened: " +
                     QString::fromStdString(reading.Logs.OpenMessage) + ".");
  } else {
    status_->clear();
    ShowLogs(reading.Logs);
  }
  emit Answered();
}

void DriveLogsWindow::ShowLogs(const DriveLogs& logs) {
  const bool nvme = logs.Source == TableSource::Nvme;
  now_->setText("Self-test now: " + QString::fromStdString(cli::SelfTestNowText(logs)));

  const auto entries = [](const SelfTestLog& log) { return log.Entries.size(); };
  const LogSource<SelfTestLog>* tests =
      nvme ? Fullest(logs, kNvmeSelfTestLogs, entries) : Fullest(logs, kAtaSelfTestLogs, entries);
  cli::LogRows testRows;
  if (tests == nullptr) {
    selfTestHeading_->setText("The drive keeps no self-test log.");
  } else {
    const SelfTestLog& log = *(logs.*tests->Member);
    testRows = cli::SelfTestRows(log);
    selfTestHeading_->setText(
        QString("Self-test log (%1)%2: ")
            .arg(tests->Name, log.ChecksumOk ? "" : ", its checksum is wrong") +
        (log.Entries.empty() ? "No self-tests logged" : Plural(log.Entries.size(), "test")));
  }
  Fill(*selfTests_, {"#", "Test", "Result", "Left", "Lifetime hours", "First failing LBA"},
       testRows);

  if (nvme && logs.NvmeErrors) {
    const NvmeErrorLog& log = *logs.NvmeErrors;
    // Each entry carries its number among all the drive's errors.
    const std::uint64_t count = log.Entries.empty() ? 0 : log.Entries.front().ErrorCount;
    errorHeading_->setText("Error information log (NVMe log page 01h): " +
                           (count == 0 ? QString("No errors logged") : Plural(count, "error")));
    Fill(*errors_, {"#", "Queue", "Command", "Status", "LBA"}, cli::NvmeErrorRows(log));
    return;
  }
  const auto count = [](const AtaErrorLog& log) { return log.Count; };
  const LogSource<AtaErrorLog>* errors = nvme ? nullptr : Fullest(logs, kAtaErrorLogs, count);
  cli::LogRows errorRows;
  if (errors == nullptr) {
    errorHeading_->setText("The drive keeps no error log.");
  } else {
    const AtaErrorLog& log = *(logs.*errors->Member);
    errorRows = cli::AtaErrorRows(log);
    errorHeading_->setText(
        QString("Error log (%1)%2: ")
            .arg(errors->Name, log.ChecksumOk ? "" : ", its checksum is wrong") +
        (log.Count == 0 ? QString("No errors logged") : Plural(log.Count, "error")));
  }
  Fill(*errors_, {"#", "Lifetime hours", "Description", "Registers"}, errorRows);
}

}  // namespace halvoric
