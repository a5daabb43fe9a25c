// SPDX-License-Identifier: GPL-3.0-or-later
// The Preferences page. Its controls are made when the page is first shown:
// a window that lives in the tray never needs them, and their making is a
// millisecond of every start. Until then the window keeps what they would
// show, and a change of it runs the handler a change of the control would.
#include <QWidget>
#include <array>
#include <initializer_list>

#include "ui/pictures.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {

struct BoxRow {
  QCheckBox* TTessivar_Form::*Control;
  const char* Caption;
  QRect Where;
  void (TTessivar_Form::*Changed)();
};

// In the order of PreferenceBox.
const std::array<BoxRow, kPreferenceBoxes> kBoxes{{
    {&TTessivar_Form::AutoRun_CheckBox,
     "Auto run Tessivar at Windows Startup",
     {6, 5, 397, 17},
     &TTessivar_Form::AutoRun_CheckBoxClick},
    {&TTessivar_Form::LogEvents_CheckBox,
     "Log Events",
     {6, 25, 397, 17},
     &TTessivar_Form::LogEvents_CheckBoxClick},
    {&TTessivar_Form::SystemLogEvents_CheckBox,
     "Use System Log Events",
     {6, 45, 397, 17},
     &TTessivar_Form::SystemLogEvents_CheckBoxClick},
    {&TTessivar_Form::DiskStatus_CheckBox,
     "Show disk status in the system tray",
     {6, 65, 397, 17},
     &TTessivar_Form::DiskStatus_CheckBoxClick},
    {&TTessivar_Form::Hibernate_CheckBox,
     "Enable emergency PC hibernation",
     {6, 85, 397, 17},
     &TTessivar_Form::Hibernate_CheckBoxClick},
    {&TTessivar_Form::PopupNotify_CheckBox,
     "Popup Notification",
     {6, 125, 195, 17},
     &TTessivar_Form::PopupNotify_CheckBoxClick},
    {&TTessivar_Form::EmailNotify_CheckBox,
     "Email Notification",
     {6, 185, 205, 17},
     &TTessivar_Form::EmailNotify_CheckBoxClick},
    {&TTessivar_Form::SndFile_CheckBox,
     "Play the sound",
     {6, 141, 205, 17},
     &TTessivar_Form::SndFile_CheckBoxClick},
    {&TTessivar_Form::TempWarn_CheckBox,
     "Enable Temperature warning at :",
     {6, 105, 199, 17},
     &TTessivar_Form::TempWarn_CheckBoxClick},
}};

struct FieldRow {
  QLineEdit* TTessivar_Form::*Control;
  QRect Where;
  void (TTessivar_Form::*Changed)();
  void (TTessivar_Form::*Left)();
};

// In the order of PreferenceField; their first texts are PreferencesShown's.
const std::array<FieldRow, kPreferenceFields> kFields{{
    {&TTessivar_Form::CritTemp_Edit,
     {216, 105, 31, 21},
     &TTessivar_Form::CritTemp_EditChange,
     &TTessivar_Form::CritTemp_EditExit},
    {&TTessivar_Form::Email_Edit,
     {216, 179, 145, 21},
     &TTessivar_Form::Email_EditChange,
     &TTessivar_Form::Email_EditExit},
    {&TTessivar_Form::SoundPath_Edit,
     {216, 139, 145, 18},
     &TTessivar_Form::SoundPath_EditChange,
     &TTessivar_Form::SoundPath_EditExit},
}};

QPushButton* GlyphButton(QWidget* page, const char* caption, const char* glyph, QRect where) {
  auto* button = new QPushButton(Glyph(glyph), caption, page);
  button->setIconSize(QSize(16, 16));
  button->setGeometry(where);
  button->show();  // made on a page that may be on screen already
  return button;
}

// A status picture kept for the list drawing, never shown itself.
QLabel* StatusPicture(QWidget* page, const char* file, QRect where) {
  auto* picture = new QLabel(page);
  // Drawn transparent, so the drive number beside it in the list shows.
  picture->setPixmap(TransparentPicture(file));
  picture->setGeometry(where);
  picture->setVisible(false);
  return picture;
}

void ChainTabOrder(std::initializer_list<QWidget*> widgets) {
  QWidget* previous = nullptr;
  for (QWidget* widget : widgets) {
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

}  // namespace

void TTessivar_Form::BuildPreferencesPage() {
  QWidget* page = Preferences_TabSheet = new QWidget(Main_PageControl);
  BAD_Image = StatusPicture(page, "bad.png", {224, 240, 16, 16});
  OK_Image = StatusPicture(page, "ok.png", {240, 240, 16, 16});
  WARN_Image = StatusPicture(page, "warn.png", {256, 240, 16, 16});
  Main_PageControl->addTab(page, ImageListIcons[5], "Preferences");
}

void TTessivar_Form::MakePreferencesPage() {
  if (AutoRun_CheckBox != nullptr) return;
  QWidget* page = Preferences_TabSheet;
  // Five blanks after "Test" keep the caption clear of the glyph.
  MailTest_Button = GlyphButton(page, "Test     ", "glyph-test.png", {368, 179, 71, 20});
  SndBrowse_Button = GlyphButton(page, "Choose", "glyph-choose.png", {368, 136, 71, 20});
  // Each shows its kept state before it is connected: its making is no change.
  for (std::size_t i = 0; i < kBoxes.size(); ++i) {
    auto* box = new QCheckBox(kBoxes[i].Caption, page);
    box->setGeometry(kBoxes[i].Where);
    box->setChecked(preferencesShown_.Checked[i]);
    this->*kBoxes[i].Control = box;
    ConnectBox(box, kBoxes[i].Changed);
    box->show();  // made on a page that may be on screen already
  }
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    auto* edit = new QLineEdit(preferencesShown_.Texts[i], page);
    edit->setFrame(false);
    edit->setGeometry(kFields[i].Where);
    this->*kFields[i].Control = edit;
    ConnectField(edit, kFields[i].Changed, kFields[i].Left);
    edit->show();
  }
  connect(MailTest_Button, &QPushButton::clicked, this, &TTessivar_Form::MailTest_ButtonClick);
  connect(SndBrowse_Button, &QPushButton::clicked, this, &TTessivar_Form::SndBrowse_ButtonClick);

  // The mail preferences come from config.xml only; the page never offers them.
  for (QWidget* hidden :
       {static_cast<QWidget*>(EmailNotify_CheckBox), static_cast<QWidget*>(Email_Edit),
        static_cast<QWidget*>(MailTest_Button)}) {
    hidden->setVisible(false);
  }

  ChainTabOrder({AutoRun_CheckBox, LogEvents_CheckBox, SystemLogEvents_CheckBox,
                 DiskStatus_CheckBox, Hibernate_CheckBox, PopupNotify_CheckBox,
                 EmailNotify_CheckBox, SndFile_CheckBox, TempWarn_CheckBox, CritTemp_Edit,
                 Email_Edit, SoundPath_Edit, MailTest_Button, SndBrowse_Button});
}

bool TTessivar_Form::Checked(PreferenceBox box) const {
  const auto i = static_cast<std::size_t>(box);
  const QCheckBox* control = this->*kBoxes[i].Control;
  return control != nullptr ? control->isChecked() : preferencesShown_.Checked[i];
}

QString TTessivar_Form::Text(PreferenceField field) const {
  const auto i = static_cast<std::size_t>(field);
  const QLineEdit* control = this->*kFields[i].Control;
  return control != nullptr ? control->text() : preferencesShown_.Texts[i];
}

void TTessivar_Form::SetChecked(PreferenceBox box, bool checked) {
  const auto i = static_cast<std::size_t>(box);
  if (QCheckBox* control = this->*kBoxes[i].Control) {
    control->setChecked(checked);  // its signal runs the handler
    return;
  }
  if (std::exchange(preferencesShown_.Checked[i], checked) != checked) {
    (this->*kBoxes[i].Changed)();
  }
}

void TTessivar_Form::SetText(PreferenceField field, const QString& text) {
  const auto i = static_cast<std::size_t>(field);
  if (QLineEdit* control = this->*kFields[i].Control) {
    control->setText(text);  // its signal runs the handler
    return;
  }
  if (std::exchange(preferencesShown_.Texts[i], text) != text) (this->*kFields[i].Changed)();
}

}  // namespace halvoric
