#include <QVBoxLayout>

#include "ui/report_view.h"
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
  DiskInfo_TabSheet = new QWidget;
  DiskInfo_ListView = MakeReportView(DiskInfo_TabSheet, {"Name", "Value"});
  DiskInfo_ListView->setIconSize(QSize(16, 16));
  Main_PageControl->addTab(PageFilledBy(DiskInfo_TabSheet, DiskInfo_ListView), ImageListIcons[2],
                           "Disk Info");

  SMARTInfo_TabSheet = new QWidget;
  SMARTInfo_ListView = MakeReportView(
      SMARTInfo_TabSheet, {"ID", "Attribute Name", "Threshold", "Value", "Worst", "RAW", "Status"});
  SMARTInfo_ListView->setColumnWidth(5, 60);
  Main_PageControl->addTab(PageFilledBy(SMARTInfo_TabSheet, SMARTInfo_ListView), ImageListIcons[3],
                           "SMART Info");
}

}  // namespace halvoric
