// SPDX-License-Identifier: GPL-3.0-or-later
// One drive's self-tests and errors in a window of its own: the test
// running now, the self-test log and the error log as the drive keeps them,
// read through the monitor's drive queue so that the main window never
// waits for the drive. A sleeping drive is woken only when the user says so.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>
#include <string>

#include "monitor/drive_monitor.h"

namespace halvoric {

class DriveLogsWindow : public QWidget {
  Q_OBJECT

 public:
  // `model` as the drive sent it.
  DriveLogsWindow(DriveMonitor& monitor, DriveNumber n, const std::string& model,
                  QWidget* parent = nullptr);

  // Reads the logs again; a drive that sleeps is asked about first.
  void Refresh();
  // Reads them even from a drive that sleeps.
  void ReadNow();

  DriveNumber Drive() const { return drive_; }
  QLabel* Status() const { return status_; }
  QPushButton* ReadNowButton() const { return readNow_; }
  QPushButton* RefreshButton() const { return refresh_; }
  QLabel* Now() const { return now_; }
  QLabel* SelfTestHeading() const { return selfTestHeading_; }
  QTreeWidget* SelfTests() const { return selfTests_; }
  QLabel* ErrorHeading() const { return errorHeading_; }
  QTreeWidget* Errors() const { return errors_; }

 signals:
  // After each answer of the drive queue is shown.
  void Answered();

 private:
  void Read(Waking waking);
  void Show(const LogsReading& reading);
  void ShowLogs(const DriveLogs& logs);

  DriveMonitor& monitor_;
  DriveNumber drive_;
  QLabel* status_;
  QPushButton* readNow_;
  QLabel* now_;
  QLabel* selfTestHeading_;
  QTreeWidget* selfTests_;
  QLabel* errorHeading_;
  QTreeWidget* errors_;
  QPushButton* refresh_;
};

}  // namespace halvoric
