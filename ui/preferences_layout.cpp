// SPDX-License-Identifier: GPL-3.0-or-later
#include <QWidget>
#include <initializer_list>

#include "ui/pictures.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {

QCheckBox* CheckBox(QWidget* page, const char* caption, QRect where) {
  auto* box = new QCheckBox(caption, page);
  box->setGeometry(where);
  return box;
}

QLineEdit* Edit(QWidget* page, const char* text, QRect where) {
  auto* edit = new QLineEdit(text, page);
  edit->setFrame(false);
  edit->setGeometry(where);
  return edit;
}

QPushButton* GlyphButton(QWidget* page, const char* caption, const char* glyph, QRect where) {
  auto* button = new QPushButton(Glyph(glyph), caption, page);
  button->setIconSize(QSize(16, 16));
  button->setGeometry(where);
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
  // Five blanks after "Test" keep the caption clear of the glyph.
  MailTest_Button = GlyphButton(page, "Test     ", "glyph-test.png", {368, 179, 71, 20});
  SndBrowse_Button = GlyphButton(page, "Choose", "glyph-choose.png", {368, 136, 71, 20});
  AutoRun_CheckBox = CheckBox(page, "Auto run Tessivar at Windows Startup", {6, 5, 397, 17});
  LogEvents_CheckBox = CheckBox(page, "Log Events", {6, 25, 397, 17});
  SystemLogEvents_CheckBox = CheckBox(page, "Use System Log Events", {6, 45, 397, 17});
  DiskStatus_CheckBox = CheckBox(page, "Show disk status in the system tray", {6, 65, 397, 17});
  Hibernate_CheckBox = CheckBox(page, "Enable emergency PC hibernation", {6, 85, 397, 17});
  PopupNotify_CheckBox = CheckBox(page, "Popup Notification", {6, 125, 195, 17});
  EmailNotify_CheckBox = CheckBox(page, "Email Notification", {6, 185, 205, 17});
  SndFile_CheckBox = CheckBox(page, "Play the sound", {6, 141, 205, 17});
  TempWarn_CheckBox = CheckBox(page, "Enable Temperature warning at :", {6, 105, 199, 17});
  CritTemp_Edit = Edit(page, "50", {216, 105, 31, 21});
  Email_Edit = Edit(page, "", {216, 179, 145, 21});
  SoundPath_Edit = Edit(page, "alert.wav", {216, 139, 145, 18});

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

  Main_PageControl->addTab(page, ImageListIcons[5], "Preferences");
}

}  // namespace halvoric
