// SPDX-License-Identifier: GPL-3.0-or-later
// The drive core's rows, put into the window's three lists.
#pragma once

#include <QIcon>
#include <QTreeWidget>
#include <map>

#include "drive/row_sinks.h"

namespace halvoric {

// The drive a row of the drive list stands for, kept beside its caption.
inline constexpr int kDriveNumberRole = Qt::UserRole;
inline constexpr int kDriveTempColumn = 2;
inline constexpr int kDriveStatusColumn = 3;

class ListViewSinks final : public DriveListSink, public DiskInfoSink, public SmartInfoSink {
 public:
  // Disk Info rows carry `diskInfoIcon`, the list's first image.
  ListViewSinks(QTreeWidget& drives, QTreeWidget& diskInfo, QTreeWidget& smartInfo,
                QIcon diskInfoIcon);

  void AppendDriveRow(const DriveListRow& row) override;
  // Rewrites the temperature and verdict of the row of `row.Number`.
  void UpdateDriveRow(const DriveListRow& row);
  void ClearDiskInfo() override;
  void AppendDiskInfoRow(const DiskInfoRow& row) override;
  void ClearSmartInfo() override;
  void AppendSmartInfoRow(const SmartInfoRow& row) override;

 private:
  QTreeWidget& drives_;
  QTreeWidget& diskInfo_;
  QTreeWidget& smartInfo_;
  QIcon diskInfoIcon_;
  // Each drive's row as the scan appended it; checked before it is used.
  std::map<unsigned, int> rowOf_;
};

}  // namespace halvoric
