// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <QHeaderView>
#include <QLayout>

#include "form_fixture.h"

namespace halvoric::testing {
namespace {

class LayoutTest : public FormTest {};

QStringList Headers(const QTreeWidget& list) {
  QStringList headers;
  for (int i = 0; i < list.columnCount(); ++i) headers << list.headerItem()->text(i);
  return headers;
}

std::vector<int> Widths(const QTreeWidget& list, int count) {
  std::vector<int> widths;
  for (int i = 0; i < count; ++i) widths.push_back(list.columnWidth(i));
  return widths;
}

TEST_F(LayoutTest, PagesInOrderWithCaptionsOnTheFirstPage) {
  TTessivar_Form& form = Build("");
  form.Main_PageControl->setCurrentIndex(3);
  form.FormCreate();
  EXPECT_EQ(form.windowTitle(), "Halvoric");
  const QStringList captions{"Disk Info", "SMART Info", "Preferences", "Log"};
  ASSERT_EQ(form.Main_PageControl->count(), captions.size());
  const std::vector<QWidget*> pages{form.DiskInfo_TabSheet, form.SMARTInfo_TabSheet,
                                    form.Preferences_TabSheet, form.Log_TabSheet};
  for (int i = 0; i < captions.size(); ++i) {
    EXPECT_EQ(form.Main_PageControl->tabText(i), captions[i]);
    EXPECT_EQ(form.Main_PageControl->widget(i), pages[i]);
    EXPECT_FALSE(form.Main_PageControl->tabIcon(i).isNull());
  }
  EXPECT_EQ(form.Main_PageControl->currentIndex(), 0);
}

TEST_F(LayoutTest, ListColumnsAndTheirWidthsAfterStart) {
  TTessivar_Form& form = Start("");
  EXPECT_EQ(Headers(*form.HDDs_ListView), QStringList({"ID", "Model", "Temp", "Status"}));
  EXPECT_EQ(Widths(*form.HDDs_ListView, 4), std::vector<int>({50, 200, 50, 50}));
  EXPECT_EQ(Headers(*form.DiskInfo_ListView), QStringList({"Name", "Value"}));
  EXPECT_EQ(Widths(*form.DiskInfo_ListView, 2), std::vector<int>({200, 150}));
  EXPECT_EQ(Headers(*form.SMARTInfo_ListView),
            QStringList({"ID", "Attribute Name", "Threshold", "Value", "Worst", "RAW", "Status"}));
  EXPECT_EQ(Widths(*form.SMARTInfo_ListView, 6), std::vector<int>({45, 150, 70, 50, 50, 60}));
  EXPECT_FALSE(form.HDDs_ListView->header()->sectionsClickable());
  EXPECT_EQ(form.HDDs_ListView->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(LayoutTest, PreferencesControlsCaptionsPlacesAndVisibility) {
  TTessivar_Form& form = Build("");
  // Made when their page is first shown, on a window already showing.
  form.show();
  form.Main_PageControl->setCurrentWidget(form.Preferences_TabSheet);
  struct Expected {
    QAbstractButton* Button;
    const char* Caption;
    QRect Where;
    bool Visible;
  };
  const std::vector<Expected> buttons{
      {form.MailTest_Button, "Test     ", {368, 179, 71, 20}, false},
      {form.SndBrowse_Button, "Choose", {368, 136, 71, 20}, true},
      {form.AutoRun_CheckBox, "Auto run Tessivar at Windows Startup", {6, 5, 397, 17}, true},
      {form.LogEvents_CheckBox, "Log Events", {6, 25, 397, 17}, true},
      {form.SystemLogEvents_CheckBox, "Use System Log Events", {6, 45, 397, 17}, true},
      {form.DiskStatus_CheckBox, "Show disk status in the system tray", {6, 65, 397, 17}, true},
      {form.Hibernate_CheckBox, "Enable emergency PC hibernation", {6, 85, 397, 17}, true},
      {form.PopupNotify_CheckBox, "Popup Notification", {6, 125, 195, 17}, true},
      {form.EmailNotify_CheckBox, "Email Notification", {6, 185, 205, 17}, false},
      {form.SndFile_CheckBox, "Play the sound", {6, 141, 205, 17}, true},
      {form.TempWarn_CheckBox, "Enable Temperature warning at :", {6, 105, 199, 17}, true},
  };
  for (const Expected& e : buttons) {
    SCOPED_TRACE(e.Caption);
    EXPECT_EQ(e.Button->text(), e.Caption);
    EXPECT_EQ(e.Button->geometry(), e.Where);
    EXPECT_EQ(e.Button->isVisibleTo(form.Preferences_TabSheet), e.Visible);
    EXPECT_EQ(e.Button->parentWidget(), form.Preferences_TabSheet);
    if (e.Button->isCheckable()) {
      EXPECT_FALSE(e.Button->isChecked());
    }
  }
  EXPECT_EQ(form.CritTemp_Edit->text(), "50");
  EXPECT_EQ(form.SoundPath_Edit->text(), "alert.wav");
  EXPECT_EQ(form.Email_Edit->text(), "");
  EXPECT_FALSE(form.Email_Edit->isVisibleTo(form.Preferences_TabSheet));
  EXPECT_FALSE(form.OK_Image->isVisibleTo(form.Preferences_TabSheet));
  EXPECT_FALSE(form.BAD_Image->isVisibleTo(form.Preferences_TabSheet));
  EXPECT_EQ(form.OK_Image->pixmap().size(), QSize(16, 16));

  int visible = 0;
  for (QWidget* child : form.Preferences_TabSheet->findChildren<QWidget*>()) {
    visible += child->isVisibleTo(form.Preferences_TabSheet) ? 1 : 0;
  }
  EXPECT_EQ(visible, 11);
}

TEST_F(LayoutTest, TabOrderOfThePreferencesPage) {
  TTessivar_Form& form = Build("");
  form.MakePreferencesPage();
  const std::vector<QWidget*> order{
      form.AutoRun_CheckBox,     form.LogEvents_CheckBox, form.SystemLogEvents_CheckBox,
      form.DiskStatus_CheckBox,  form.Hibernate_CheckBox, form.PopupNotify_CheckBox,
      form.EmailNotify_CheckBox, form.SndFile_CheckBox,   form.TempWarn_CheckBox,
      form.CritTemp_Edit,        form.Email_Edit,         form.SoundPath_Edit,
      form.MailTest_Button,      form.SndBrowse_Button};
  // The order in which the chain meets them, starting at the first.
  std::vector<QWidget*> met{order[0]};
  for (QWidget* w = order[0]->nextInFocusChain(); w != order[0]; w = w->nextInFocusChain()) {
    if (std::find(order.begin(), order.end(), w) != order.end()) met.push_back(w);
  }
  EXPECT_EQ(met, order);
  EXPECT_EQ(form.Save_Button->nextInFocusChain(), form.Clear_Button)
      << form.Save_Button->nextInFocusChain()->metaObject()->className();
}

TEST_F(LayoutTest, LogPageAndComponents) {
  TTessivar_Form& form = Build("");
  // Its text control is made when the page is first shown, above the box.
  form.show();
  form.Main_PageControl->setCurrentWidget(form.Log_TabSheet);
  QCoreApplication::processEvents();
  ASSERT_NE(form.Log_Memo, nullptr);
  EXPECT_TRUE(form.Log_Memo->isVisible());
  EXPECT_TRUE(form.Log_Memo->isReadOnly());
  EXPECT_EQ(form.Log_TabSheet->layout()->indexOf(form.Log_Memo), 0);
  EXPECT_LT(form.Log_Memo->geometry().bottom(), form.Log_GroupBox->geometry().top());
  EXPECT_EQ(form.Log_GroupBox->title(), "Logs Control");
  EXPECT_EQ(form.Log_GroupBox->height(), 49);
  EXPECT_EQ(form.Save_Button->text(), "&Save");
  EXPECT_EQ(form.Save_Button->geometry(), QRect(6, 18, 75, 25));
  EXPECT_EQ(form.Clear_Button->text(), "&Clear");
  EXPECT_EQ(form.Clear_Button->geometry(), QRect(84, 18, 75, 25));

  EXPECT_EQ(form.CheckTemp_Timer->interval(), 30000);
  EXPECT_EQ(form.Hibernate_Timer->interval(), 1000);
  EXPECT_FALSE(form.CheckTemp_Timer->isActive());
  EXPECT_EQ(form.ShowTessivar1->text(), "Show Main Window");
  EXPECT_EQ(form.Exit1->text(), "Exit");
  EXPECT_EQ(form.EventLogWriter1.AppName(), "Tessivar");
  EXPECT_FALSE(form.EventLogWriter1.Enabled());
  EXPECT_EQ(form.SaveDialog1.Filter, "Log File (*.txt)");
  for (const QIcon& icon : form.ImageListIcons) {
    EXPECT_EQ(icon.availableSizes().value(0), QSize(16, 16));
  }
}

TEST_F(LayoutTest, ControlsBelowAndAboveThePages) {
  TTessivar_Form& form = Build("");
  EXPECT_EQ(form.Image2->geometry(), QRect(136, 0, 289, 80));
  EXPECT_EQ(form.HDDs_ListView->geometry(), QRect(0, 82, 541, 58));
  EXPECT_EQ(form.Main_PageControl->geometry(), QRect(0, 139, 541, 334));
  EXPECT_EQ(form.Image1->geometry(), QRect(6, 476, 157, 41));
  EXPECT_EQ(form.SpeedButton1->geometry(), QRect(409, 480, 127, 30));
  EXPECT_EQ(form.SpeedButton1->text(), "Help and Manual");
  EXPECT_EQ(form.SpeedButton1->focusPolicy(), Qt::NoFocus);
  // The pages come first, then the drive list.
  QWidget* beforeList = form.HDDs_ListView->previousInFocusChain();
  EXPECT_TRUE(form.Main_PageControl->isAncestorOf(beforeList))
      << beforeList->metaObject()->className();
}

}  // namespace
}  // namespace halvoric::testing
