// SPDX-License-Identifier: GPL-3.0-or-later
// The drive list's menu entries that examine a drive: a self-test started
// or aborted, and the window of its self-tests and errors. The entries
// offer what the drive last said it runs; each opening of the menu asks
// the drive again, through the monitor, unless it sleeps.
#include <QMenu>

#include "ui/drive_logs_window.h"
#include "ui/tessivar_form.h"

namespace halvoric {

std::array<std::pair<QAction*, SelfTestAction>, 4> TTessivar_Form::SelfTestEntries() const {
  return {{{ShortSelfTest1, SelfTestAction::Short},
           {ExtendedSelfTest1, SelfTestAction::Extended},
           {ConveyanceSelfTest1, SelfTestAction::Conveyance},
           {AbortSelfTest1, SelfTestAction::Abort}}};
}

void TTessivar_Form::BuildSelfTestMenu() {
  HDDs_PopupMenu->addSeparator();
  SelfTest1 = HDDs_PopupMenu->addMenu("&Self-test");
  ShortSelfTest1 = SelfTest1->addAction("Short");
  ExtendedSelfTest1 = SelfTest1->addAction("Extended");
  ConveyanceSelfTest1 = SelfTest1->addAction("Conveyance");
  SelfTest1->addSeparator();
  AbortSelfTest1 = SelfTest1->addAction("Abort");
  DriveLogs1 = HDDs_PopupMenu->addAction("Self-tests and &errors\u2026");
  for (const auto& [entry, action] : SelfTestEntries()) {
    connect(entry, &QAction::triggered, this, [this, action = action] { SelfTestClick(action); });
  }
  connect(DriveLogs1, &QAction::triggered, this, [this] { DriveLogs1Click(); });
}

void TTessivar_Form::PrepareSelfTestEntries(DriveNumber n) {
  ShowSelfTestEntries(n);
  Monitor.ReadLogs(n, Waking::LeaveAsleep, [this, n](const LogsReading&) {
    // The user may have opened the menu on another row meanwhile.
    if (HistoryDrive == n) ShowSelfTestEntries(n);
  });
}

void TTessivar_Form::ShowSelfTestEntries(DriveNumber n) {
  const KnownSelfTests* known = Monitor.SelfTestsOf(n);
  for (const auto& [entry, action] : SelfTestEntries()) {
    entry->setEnabled(known != nullptr && known->Allows(action));
  }
}

void TTessivar_Form::SelfTestClick(SelfTestAction action) {
  const DriveNumber n = HistoryDrive;
  Monitor.StartSelfTest(n, action, [this, n](const Result<std::string>& started) {
    if (!started.Ok()) {
      Platform.Monitor.Messages.get().ShowError(started.Message);
    } else if (const auto open = logsWindows_.find(n); open != logsWindows_.end() && open->second) {
      open->second->Refresh();
    }
  });
}

void TTessivar_Form::DriveLogs1Click() { ShowDriveLogs(HistoryDrive); }

DriveLogsWindow* TTessivar_Form::ShowDriveLogs(DriveNumber n) {
  QPointer<DriveLogsWindow>& window = logsWindows_[n];
  if (window) {
    window->show();
    window->raise();
    window->activateWindow();
    return window;
  }
  const auto last = Monitor.Last().find(n);
  window = new DriveLogsWindow(
      Monitor, n, last == Monitor.Last().end() ? std::string() : last->second.Model, this);
  window->show();
  window->Refresh();
  return window;
}

}  // namespace halvoric
