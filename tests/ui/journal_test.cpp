// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>

#include "form_fixture.h"

namespace halvoric::testing {
namespace {

class LogPageTest : public FormTest {};

TEST_F(LogPageTest, LinesReachThePageAndTheButtonsActOnIt) {
  TTessivar_Form& form = Start("");
  form.AddLogLine("hello");
  const QStringList lines = form.Log_Memo->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[1].endsWith(" * hello"));
  EXPECT_EQ(QString::fromStdString(log_.Records.back()), lines[1]);

  dialogs_.Answer = File("journal");
  form.Save_Button->click();
  EXPECT_EQ(dialogs_.SaveFilter, "Log File (*.txt)");
  EXPECT_EQ(ReadFile("journal"), (lines[0] + "\r\n" + lines[1] + "\r\n").toUtf8().toStdString());
  form.Clear_Button->click();
  EXPECT_TRUE(form.Log_Memo->toPlainText().isEmpty());
}

}  // namespace
}  // namespace halvoric::testing
