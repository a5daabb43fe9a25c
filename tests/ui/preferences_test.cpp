// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "desktop/program_files.h"
#include "form_fixture.h"

namespace halvoric::testing {
namespace {

class PreferencesTest : public FormTest {
 protected:
  PreferencesTest() { form.MakePreferencesPage(); }
  TTessivar_Form& form = Start(DrivesScenario({0}));
  QString LastLine() const { return JournalMessages().isEmpty() ? "" : JournalMessages().back(); }
  // Leaves the field as the keyboard focus moving on would.
  void Leave(QLineEdit* edit, Qt::FocusReason reason = Qt::TabFocusReason) {
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(edit, &out);
  }
};

TEST_F(PreferencesTest, EveryBoxJournalsItsOwnNewState) {
  struct Case {
    QCheckBox* TTessivar_Form::*box;
    bool Settings::*field;
    const char* on;
    const char* off;
  } cases[] = {
      {&TTessivar_Form::LogEvents_CheckBox, &Settings::LogEvents, "ENABLED Log Events",
       "DISABLE Log Events"},
      {&TTessivar_Form::SystemLogEvents_CheckBox, &Settings::SystemLog, nullptr, nullptr},
      {&TTessivar_Form::DiskStatus_CheckBox, &Settings::DiskStatus, "ENABLED disk status",
       "DISABLE disk status"},
      {&TTessivar_Form::Hibernate_CheckBox, &Settings::Hibernation, "ENABLED hibernation",
       "DISABLE hibernation"},
      {&TTessivar_Form::TempWarn_CheckBox, &Settings::TempWarn, "ENABLED temperature warning",
       "DISABLE temperature warning"},
      {&TTessivar_Form::PopupNotify_CheckBox, &Settings::PopupNotification,
       "ENABLED popup notification", "DISABLE popup notification"},
      {&TTessivar_Form::EmailNotify_CheckBox, &Settings::EmailNotification,
       "ENABLED email notification", "DISABLE email notification"},
      {&TTessivar_Form::SndFile_CheckBox, &Settings::PlaySound, "ENABLED play sound",
       "DISABLE play sound"},
      {&TTessivar_Form::AutoRun_CheckBox, &Settings::AutoRun, "ENABLED autorun",
       "DISABLED autorun"},
  };
  for (const Case& c : cases) {
    QCheckBox* box = form.*c.box;
    SCOPED_TRACE(box->objectName().toStdString());
    for (bool checked : {true, false}) {
      const qsizetype before = JournalMessages().size();
      box->setChecked(checked);
      EXPECT_EQ(form.Settings.*c.field, checked);
      if (c.on == nullptr) {
        EXPECT_EQ(JournalMessages().size(), before);  // the system-log box writes no line
      } else {
        EXPECT_EQ(LastLine(), checked ? c.on : c.off);
      }
    }
  }
  EXPECT_EQ(startAtLogon_.Calls, (std::vector<std::string>{"enable", "disable"}));
}

// Loaded before the page's controls exist: each box's handler runs once,
// with the box's own setting, and the controls made later show it all.
TEST_F(FormTest, EveryPreferenceLoadedBeforeThePageShowsOnceItIsMade) {
  const struct {
    const char* element;
    bool on;
    QCheckBox* TTessivar_Form::*box;
  } boxes[] = {
      {"AutoRun", true, &TTessivar_Form::AutoRun_CheckBox},
      {"LogEvents", false, &TTessivar_Form::LogEvents_CheckBox},
      {"SystemLog", true, &TTessivar_Form::SystemLogEvents_CheckBox},
      {"DiskStatus", false, &TTessivar_Form::DiskStatus_CheckBox},
      {"Hibernation", true, &TTessivar_Form::Hibernate_CheckBox},
      {"TempWarn", false, &TTessivar_Form::TempWarn_CheckBox},
      {"PopupNotification", true, &TTessivar_Form::PopupNotify_CheckBox},
      {"EmailNotification", false, &TTessivar_Form::EmailNotify_CheckBox},
      {"PlaySound", true, &TTessivar_Form::SndFile_CheckBox},
  };
  std::string config =
      "<Tessivar><Temp>61</Temp><EmailAddr>a@b.c</EmailAddr>"
      "<SoundPath>bell.wav</SoundPath>";
  for (const auto& b : boxes) {
    config += std::string("<") + b.element + ">" + (b.on ? "-1" : "0") + "</" + b.element + ">";
  }
  WriteFile("config.xml", config + "</Tessivar>");
  TTessivar_Form& form = Start(DrivesScenario({0}));
  EXPECT_EQ(JournalMessages().filter("ENABLED"),
            QStringList({"ENABLED autorun", "ENABLED hibernation", "ENABLED popup notification",
                         "ENABLED play sound"}));
  form.MakePreferencesPage();
  for (const auto& b : boxes) {
    EXPECT_EQ((form.*b.box)->isChecked(), b.on) << b.element;
  }
  EXPECT_TRUE(form.Settings.SystemLog);
  EXPECT_EQ((QStringList{form.CritTemp_Edit->text(), form.Email_Edit->text(),
                         form.SoundPath_Edit->text()}),
            QStringList({"61", "a@b.c", "bell.wav"}));
  EXPECT_EQ(startAtLogon_.Calls, std::vector<std::string>{"enable"});  // not again when made
}

TEST_F(PreferencesTest, TemperatureWarningRunsTheWatch) {
  form.TempWarn_CheckBox->setChecked(true);
  EXPECT_TRUE(form.CheckTemp_Timer->isActive());
  EXPECT_EQ(form.CheckTemp_Timer->interval(), 30000);
  form.TempWarn_CheckBox->setChecked(false);
  EXPECT_FALSE(form.CheckTemp_Timer->isActive());
}

TEST_F(PreferencesTest, LeavingTheCriticalTemperatureChecksItOrPutsTheFocusBack) {
  struct Case {
    const char* text;
    bool accepted;
    int value;
  } cases[] = {{" 7 ", true, 7}, {"101", false, 0}};  // the rest: the logic's own tests
  form.show();
  QApplication::setActiveWindow(&form);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    form.Settings.CritTempValue = 50;
    messages_.Errors.clear();
    form.CritTemp_Edit->setText(c.text);
    EXPECT_EQ(form.Settings.Temp, c.text);  // the text as typed, whatever it says
    Leave(form.CritTemp_Edit);
    if (c.accepted) {
      EXPECT_EQ(form.Settings.CritTempValue, c.value);
      EXPECT_EQ(LastLine(), QString("CHANGED max temperature: %1\u00B0").arg(c.value));
      EXPECT_TRUE(messages_.Errors.empty());
    } else {
      EXPECT_EQ(form.Settings.CritTempValue, 50);
      EXPECT_EQ(messages_.Errors,
                std::vector<std::string>{"Error! Temp Warning must be in [0..100]"});
      EXPECT_TRUE(form.CritTemp_Edit->hasFocus());
    }
  }
  const qsizetype before = JournalMessages().size();
  form.CritTemp_Edit->setText("  ");
  Leave(form.CritTemp_Edit);  // empty: accepted silently, nothing changes
  EXPECT_EQ(JournalMessages().size(), before);
  EXPECT_EQ(form.Settings.CritTempValue, 50);
}

// Switching to another program with a text the user did not edit, or opening
// the field's context menu, keeps the user in the field: no journal line, no
// complaint about a half-typed value.
TEST_F(PreferencesTest, FocusLeavingTheWindowIsNoLeavingTheField) {
  form.CritTemp_Edit->setText("abc");
  form.Email_Edit->setText("me@example.org");
  const qsizetype before = JournalMessages().size();
  for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
    for (QLineEdit* edit : {form.CritTemp_Edit, form.Email_Edit, form.SoundPath_Edit}) {
      Leave(edit, reason);
    }
  }
  EXPECT_EQ(JournalMessages().size(), before);
  EXPECT_TRUE(messages_.Errors.empty());
  Leave(form.Email_Edit, Qt::MouseFocusReason);
  EXPECT_EQ(LastLine(), "CHANGED email address to: me@example.org");
}

// A value typed and then left by hiding the window (to the tray, or to
// another program) takes effect once.
TEST_F(PreferencesTest, ATypedValueTakesEffectWhenTheWindowLosesTheFocus) {
  form.Settings.CritTempValue = 50;
  form.CritTemp_Edit->setText("45");
  emit form.CritTemp_Edit->textEdited("45");  // as typing does
  Leave(form.CritTemp_Edit, Qt::PopupFocusReason);
  EXPECT_EQ(form.Settings.CritTempValue, 50);
  Leave(form.CritTemp_Edit, Qt::ActiveWindowFocusReason);
  EXPECT_EQ(form.Settings.CritTempValue, 45);
  EXPECT_EQ(LastLine(), "CHANGED max temperature: 45\u00B0");
  const qsizetype before = JournalMessages().size();
  Leave(form.CritTemp_Edit, Qt::ActiveWindowFocusReason);
  EXPECT_EQ(JournalMessages().size(), before);
}

TEST_F(PreferencesTest, SoundFileChosenThenLeftAndHelpOpened) {
  dialogs_.Answer = "/music/my alert \"loud\".wav";
  const qsizetype before = JournalMessages().size();
  form.SndBrowse_ButtonClick();
  EXPECT_EQ(form.Settings.SoundPath, *dialogs_.Answer);
  EXPECT_EQ(JournalMessages().size(), before);  // choosing writes no line
  Leave(form.SoundPath_Edit);
  EXPECT_EQ(LastLine(), QString::fromStdString("CHANGED sound file to: " + *dialogs_.Answer));

  form.Email_Edit->setText("me@example.org");
  Leave(form.Email_Edit);
  EXPECT_EQ(LastLine(), "CHANGED email address to: me@example.org");
  EXPECT_EQ(form.Settings.EmailAddr, "me@example.org");

  form.SpeedButton1->click();
  emit form.Image1->Clicked();
  ASSERT_EQ(urls_.Opened.size(), 2u);
  for (const std::string& opened : urls_.Opened) {
    EXPECT_EQ(opened, ProgramFileOfRunningExecutable(kDataFolder, "help.html").string());
  }
}

}  // namespace
}  // namespace halvoric::testing
