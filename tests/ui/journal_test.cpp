// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>

#include "form_fixture.h"

namespace halvoric::testing {
namespace {

class LogPageTest : public FormTest {};

// The page's text control is made when the page is first shown; the lines
// from before wait aside, are saved the same, and fill it.
TEST_F(LogPageTest, LinesReachThePageAndTheButtonsActOnIt) {
  TTessivar_Form& form = Start("");
  form.AddLogLine("hello");
  ASSERT_EQ(form.Log_Memo, nullptr);
  dialogs_.Answer = File("journal");
  form.Save_Button->click();
  EXPECT_EQ(dialogs_.SaveFilter, "Log File (*.txt)");
  const QStringList lines = QString::fromStdString(ReadFile("journal")).split("\r\n");
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[1].endsWith(" * hello"));
  EXPECT_EQ(QString::fromStdString(log_.Records.back()), lines[1]);
  EXPECT_EQ(lines[2], "");

  form.Main_PageControl->setCurrentWidget(form.Log_TabSheet);
  ASSERT_NE(form.Log_Memo, nullptr);
  EXPECT_EQ(form.Log_Memo->toPlainText(), lines[0] + "\n" + lines[1]);
  form.Clear_Button->click();
  EXPECT_TRUE(form.Log_Memo->toPlainText().isEmpty());
}

// Cleared while the lines still wait aside, the page shows only what came
// after: the waiting lines are the page's, not a copy of it.
TEST_F(LogPageTest, AClearBeforeThePageIsShownHoldsWhenItIs) {
  TTessivar_Form& form = Start("");
  form.Clear_Button->click();
  form.AddLogLine("after");
  ASSERT_EQ(form.Log_Memo, nullptr);
  form.Main_PageControl->setCurrentWidget(form.Log_TabSheet);
  ASSERT_NE(form.Log_Memo, nullptr);
  const QString text = form.Log_Memo->toPlainText();
  EXPECT_FALSE(text.contains('\n')) << text.toStdString();
  EXPECT_TRUE(text.endsWith(" * after")) << text.toStdString();
}

}  // namespace
}  // namespace halvoric::testing
