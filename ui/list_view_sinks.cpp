// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/list_view_sinks.h"

#include <QTextDocument>
#include <initializer_list>
#include <string>
#include <utility>

namespace halvoric {

namespace {
constexpr int kModelColumn = 1;  // of the drive list
constexpr int kRawColumn = 5;    // of the SMART Info page
// The drive database's warning for the row's model, kept on its model cell.
constexpr int kModelWarningRole = Qt::UserRole;

// Plain text: a tooltip that looked like markup would be read as such.
QString PlainTip(const std::string& text) {
  return Qt::convertFromPlainText(QString::fromStdString(text), Qt::WhiteSpaceNormal);
}

QTreeWidgetItem* AppendRow(QTreeWidget& list, std::initializer_list<std::string> cells) {
  auto* item = new QTreeWidgetItem(&list);
  int column = 0;
  for (const std::string& cell : cells) item->setText(column++, QString::fromStdString(cell));
  return item;
}

// The reasons for the row's verdict, one a line, and the self-test that
// runs, wherever the row is pointed at.
void ShowReasons(QTreeWidgetItem& item, const DriveListRow& row) {
  QStringList lines;
  for (const std::string& reason : row.Reasons) lines << QString::fromStdString(reason);
  if (!row.SelfTest.empty()) lines << QString::fromStdString(row.SelfTest);
  // A known fault of the model stays below whatever the readings say.
  if (const QString warning = item.data(kModelColumn, kModelWarningRole).toString();
      !warning.isEmpty()) {
    lines << warning;
  }
  for (int column = 0; column < item.columnCount(); ++column) {
    item.setToolTip(column, lines.join('\n'));
  }
}
}  // namespace

ListViewSinks::ListViewSinks(QTreeWidget& drives, QTreeWidget& diskInfo, QTreeWidget& smartInfo,
                             QIcon diskInfoIcon)
    : drives_(drives),
      diskInfo_(diskInfo),
      smartInfo_(smartInfo),
      diskInfoIcon_(std::move(diskInfoIcon)) {}

void ListViewSinks::AppendDriveRow(const DriveListRow& row) {
  QTreeWidgetItem* item = AppendRow(drives_, {row.Id, row.Model, row.Temp, StatusText(row.State)});
  item->setData(0, kDriveNumberRole, row.Number);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(0, row.Checked ? Qt::Checked : Qt::Unchecked);
  item->setData(kModelColumn, kModelWarningRole, QString::fromStdString(row.ModelWarning));
  ShowReasons(*item, row);
  rowOf_[row.Number] = drives_.topLevelItemCount() - 1;
}

void ListViewSinks::UpdateDriveRow(const DriveListRow& row) {
  const auto update = [&row](QTreeWidgetItem& item) {
    item.setText(kDriveTempColumn, QString::fromStdString(row.Temp));
    item.setText(kDriveStatusColumn, StatusText(row.State));
    ShowReasons(item, row);
  };
  // Where the scan put it: a tick of many drives would search the list for each.
  if (const auto known = rowOf_.find(row.Number); known != rowOf_.end()) {
    if (QTreeWidgetItem* item = drives_.topLevelItem(known->second);
        item != nullptr && item->data(0, kDriveNumberRole).toUInt() == row.Number) {
      update(*item);
      return;
    }
  }
  for (int i = 0; i < drives_.topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = drives_.topLevelItem(i);
    if (item->data(0, kDriveNumberRole).toUInt() == row.Number) update(*item);
  }
}

void ListViewSinks::ClearDiskInfo() { diskInfo_.clear(); }

void ListViewSinks::AppendDiskInfoRow(const DiskInfoRow& row) {
  QTreeWidgetItem* item = AppendRow(diskInfo_, {row.Caption, row.Value.value_or("")});
  item->setIcon(0, diskInfoIcon_);
}

void ListViewSinks::ClearSmartInfo() { smartInfo_.clear(); }

void ListViewSinks::AppendSmartInfoRow(const SmartInfoRow& row) {
  QTreeWidgetItem* item = AppendRow(smartInfo_, {row.Id, row.Name, row.Threshold, row.Value,
                                                 row.Worst, row.Raw, StatusText(row.State)});
  if (!row.RawText.empty()) {
    item->setToolTip(kRawColumn, PlainTip(row.RawText));
  }
}

}  // namespace halvoric
