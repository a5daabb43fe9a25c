#include <QVBoxLayout>

#include "ui/pictures.h"
#include "ui/tessivar_form.h"

namespace halvoric {

void TTessivar_Form::BuildLogPage() {
  Log_TabSheet = new QWidget;

  Log_Memo = new QPlainTextEdit(Log_TabSheet);
  Log_Memo->setReadOnly(true);
  Log_Memo->setFrameShape(QFrame::NoFrame);
  Log_Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Log_Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

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
  layout->addWidget(Log_Memo);
  layout->addWidget(Log_GroupBox);

  connect(Save_Button, &QPushButton::clicked, this, [this] { Save_ButtonClick(); });
  connect(Clear_Button, &QPushButton::clicked, this, [this] { Clear_ButtonClick(); });

  Main_PageControl->addTab(Log_TabSheet, ImageListIcons[6], "Log");
}

}  // namespace halvoric
