// SPDX-License-Identifier: GPL-3.0-or-later
// The drive list's context menu: the history windows it opens, and the
// acknowledgement of a drive's warning.
#include <QKeyEvent>
#include <QMenu>
#include <functional>

#include "ui/list_view_sinks.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {

// Shift+F10, the keyboard's other way to a context menu, which Qt leaves to
// programs: it opens the menu at the current row, as the menu key does.
class MenuKeyFilter : public QObject {
 public:
  MenuKeyFilter(QObject* parent, std::function<void()> open)
      : QObject(parent), open_(std::move(open)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
        open_();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> open_;
};

}  // namespace

void TTessivar_Form::BuildDriveListMenu() {
  HDDs_ListView->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(HDDs_ListView, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { HDDs_ListViewContextPopup(pos); });
  HDDs_ListView->installEventFilter(new MenuKeyFilter(HDDs_ListView, [this] {
    if (const QTreeWidgetItem* row = HDDs_ListView->currentItem()) {
      HDDs_ListViewContextPopup(HDDs_ListView->visualItemRect(row).center());
    }
  }));
  connect(TempHistory1, &QAction::triggered, this, [this] { TempHistory1Click(); });
  connect(AcknowledgeWarning1, &QAction::triggered, this, [this] { AcknowledgeWarning1Click(); });
  BuildSelfTestMenu();
}

void TTessivar_Form::HDDs_ListViewContextPopup(const QPoint& pos) {
  const QTreeWidgetItem* row = HDDs_ListView->itemAt(pos);
  if (row == nullptr) return;
  HistoryDrive = static_cast<DriveNumber>(row->data(0, kDriveNumberRole).toUInt());
  // A drive that never identified itself has nothing kept under its name.
  TempHistory1->setEnabled(Monitor.History().SerialOf(HistoryDrive).has_value());
  AcknowledgeWarning1->setVisible(row->text(kDriveStatusColumn) == QLatin1String("WARN"));
  // It is kept by serial number.
  const auto last = Monitor.Last().find(HistoryDrive);
  AcknowledgeWarning1->setEnabled(last != Monitor.Last().end() && !last->second.Serial.empty());
  PrepareSelfTestEntries(HistoryDrive);
  HDDs_PopupMenu->popup(HDDs_ListView->viewport()->mapToGlobal(pos));
}

void TTessivar_Form::TempHistory1Click() { ShowTemperatureHistory(HistoryDrive); }

void TTessivar_Form::AcknowledgeWarning1Click() {
  if (Monitor.AcknowledgeWarning(HistoryDrive)) {
    ShowDriveReading(HistoryDrive, Monitor.Last().at(HistoryDrive));
  }
}

QWidget* TTessivar_Form::ShowTemperatureHistory(DriveNumber n) {
  HistoryRecorder& history = Monitor.History();
  const std::optional<std::string> serial = history.SerialOf(n);
  if (!serial || !Platform.OpenHistoryWindow) return nullptr;
  const LastReadings& lastReadings = Monitor.Last();
  const auto last = lastReadings.find(n);
  const MonitorServices& services = Platform.Monitor;
  const Result<QWidget*> window = Platform.OpenHistoryWindow({
      .Services = {Platform.Dialogs, services.Messages, services.Calendar},
      .StorePath = history.Path(),
      .Serial = *serial,
      .Model = last == lastReadings.end() ? std::string() : last->second.Model,
      .CriticalTemperature = Settings.CritTempValue,
      .Recorder = history,
      .Parent = this,
  });
  if (!window.Ok()) {
    services.Messages.get().ShowError(window.Message);
    return nullptr;
  }
  (*window)->show();
  return *window;
}

}  // namespace halvoric
