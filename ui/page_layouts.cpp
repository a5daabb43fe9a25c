// SPDX-License-Identifier: GPL-3.0-or-later
// The pages below the drive list besides Preferences: Disk Info and SMART
// Info with their coloured status column (and the drive list's), and Log.
#include <QVBoxLayout>
#include <utility>

#include "ui/list_view_sinks.h"
#include "ui/pictures.h"
#include "ui/report_view.h"
#include "ui/status_cell_delegate.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {
// Makes `content` fill its page.
QWidget* PageFilledBy(QWidget*& page, QWidget* content) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(content);
  return page;
}
}  // namespace

void TTessivar_Form::BuildDetailPages() {
  DiskInfo_TabSheet = new QWidget(Main_PageControl);
  DiskInfo_ListView = MakeReportView(DiskInfo_TabSheet, {"Name", "Value"});
  DiskInfo_ListView->setIconSize(QSize(16, 16));
  Main_PageControl->addTab(PageFilledBy(DiskInfo_TabSheet, DiskInfo_ListView), ImageListIcons[2],
                           "Disk Info");

  SMARTInfo_TabSheet = new QWidget(Main_PageControl);
  SMARTInfo_ListView = MakeReportView(
      SMARTInfo_TabSheet, {"ID", "Attribute Name", "Threshold", "Value", "Worst", "RAW", "Status"});
  SMARTInfo_ListView->setColumnWidth(5, 60);
  Main_PageControl->addTab(PageFilledBy(SMARTInfo_TabSheet, SMARTInfo_ListView), ImageListIcons[3],
                           "SMART Info");
}

namespace {
constexpr int kAttributeStatusColumn = 6;
}  // namespace

void TTessivar_Form::BuildStatusColumns() {
  HDDs_ListView->setItemDelegateForColumn(
      kDriveStatusColumn, new StatusCellDelegate({QPoint(13, -2), true, OK_Image->pixmap(),
                                                  WARN_Image->pixmap(), BAD_Image->pixmap()},
                                                 HDDs_ListView));
  SMARTInfo_ListView->setItemDelegateForColumn(
      kAttributeStatusColumn, new StatusCellDelegate({QPoint(20, -3), false, OK_Image->pixmap(),
                                                      WARN_Image->pixmap(), BAD_Image->pixmap()},
                                                     SMARTInfo_ListView));
}

void TTessivar_Form::BuildLogPage() {
  Log_TabSheet = new QWidget(Main_PageControl);

  Log_GroupBox = new QGroupBox("Logs Control", Log_TabSheet);
  Log_GroupBox->setFixedHeight(49);
  Save_Button = new QPushButton(Glyph("glyph-save.png"), "&Save", Log_GroupBox);
  Save_Button->setGeometry(6, 18, 75, 25);
  Clear_Button = new QPushButton(Glyph("glyph-clear.png"), "&Clear", Log_GroupBox);
  Clear_Button->setGeometry(84, 18, 75, 25);
  setTabOrder(Save_Button, Clear_Button);

  auto* layout = new QVBoxLayout(Log_TabSheet);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addStretch();
  layout->addWidget(Log_GroupBox);

  connect(Save_Button, &QPushButton::clicked, this, [this] { Save_ButtonClick(); });
  connect(Clear_Button, &QPushButton::clicked, this, [this] { Clear_ButtonClick(); });

  Main_PageControl->addTab(Log_TabSheet, ImageListIcons[6], "Log");
}

QPlainTextEdit* TTessivar_Form::LogMemo() {
  if (Log_Memo != nullptr) return Log_Memo;
  Log_Memo = new QPlainTextEdit(Log_TabSheet);
  Log_Memo->setReadOnly(true);
  Log_Memo->setFrameShape(QFrame::NoFrame);
  Log_Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Log_Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // In the stretch's place, above the buttons.
  auto* layout = static_cast<QVBoxLayout*>(Log_TabSheet->layout());
  delete layout->takeAt(0);
  layout->insertWidget(0, Log_Memo);
  for (const QString& line : std::exchange(journalWaiting_, {})) Log_Memo->appendPlainText(line);
  return Log_Memo;
}

}  // namespace halvoric
