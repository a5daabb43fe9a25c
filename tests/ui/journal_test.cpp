#include <QFile>

#include "form_fixture.h"
#include "settings/event_log_writer.h"
#include "settings/journal_line.h"

namespace halvoric::testing {
namespace {

TEST(ClockTimeFormat, DropsTheZoneKeepsQuotedTextAndSeconds) {
  for (const char* name : {"en_US", "de_DE", "ja_JP", "fr_FR"}) {
    const QLocale locale(name);
    const QString clock = ClockTimeFormat(locale);
    SCOPED_TRACE(name);
    EXPECT_TRUE(clock.contains("ss"));
    EXPECT_FALSE(clock.endsWith(' '));
    const QString text = locale.toString(QTime(13, 4, 5), clock);
    EXPECT_TRUE(text.contains("05")) << text.toStdString();
    EXPECT_FALSE(text.contains("UTC")) << text.toStdString();
  }
}

TEST(JournalLine, ShortDateBlankClockStarAndMessage) {
  const QLocale locale(QLocale::English, QLocale::UnitedStates);
  const QDateTime when(QDate(2024, 3, 7), QTime(9, 5, 7));
  const QString date = locale.toString(when.date(), QLocale::ShortFormat);
  struct Case {
    QString Message;
    QString Expected;
  };
  const std::vector<Case> cases{
      {"Halvoric Started !", date + " 9:05:07 AM * Halvoric Started !"},
      {"", date + " 9:05:07 AM * "},
      {QString::fromUtf8("CHANGED max temperature: 55\u00B0"),
       date + QString::fromUtf8(" 9:05:07 AM * CHANGED max temperature: 55\u00B0")},
  };
  for (const Case& c : cases) EXPECT_EQ(JournalLine(when, locale, c.Message), c.Expected);
  // Midnight keeps its time, so every line reads the same way.
  EXPECT_EQ(JournalLine(QDateTime(QDate(2024, 3, 7), QTime(0, 0)), locale, "m"),
            date + " 12:00:00 AM * m");
}

TEST(EventLogWriter, RegistersUnderItsNameAndWritesOnlyWhenEnabled) {
  FakeSystemLog log;
  {
    TEventLogWriter writer(log);
    EXPECT_EQ(writer.AppName(), TEventLogWriter::PlaceholderName);
    writer.SetAppName("Tessivar");
    writer.WriteInformation("before");
    EXPECT_TRUE(writer.RegisterSource().Ok());
    EXPECT_TRUE(writer.Enabled());
    writer.WriteInformation("after");
    writer.SetAppName("");
    EXPECT_EQ(writer.AppName(), TEventLogWriter::PlaceholderName);
  }
  EXPECT_EQ(log.Source, "Tessivar");
  EXPECT_EQ(log.Records, std::vector<std::string>{"after"});
  EXPECT_EQ(log.Closes, 1);
}

class LogPageTest : public FormTest {};

TEST_F(LogPageTest, LinesReachPageAndSystemLogWithTheirDate) {
  TTessivar_Form& form = Start("");
  form.AddLogLine("hello");
  const QStringList lines = form.Log_Memo->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[1].endsWith(" * hello"));
  EXPECT_EQ(QString::fromStdString(log_.Records.back()), lines[1]);
}

TEST_F(LogPageTest, SaveWritesEachLineWithCrLfUnderTheNameAsGiven) {
  TTessivar_Form& form = Start("");
  form.AddLogLine("second");
  dialogs_.Answer = File("journal");
  form.Save_ButtonClick();
  EXPECT_EQ(dialogs_.SaveFilter, "Log File (*.txt)");
  const QStringList lines = form.Log_Memo->toPlainText().split('\n');
  const std::string expected = (lines[0] + "\r\n" + lines[1] + "\r\n").toUtf8().toStdString();
  EXPECT_EQ(ReadFile("journal"), expected);
  EXPECT_EQ(form.Log_Memo->toPlainText().split('\n').size(), 2);
}

TEST_F(LogPageTest, SaveAfterClearWritesAnEmptyFileOverTheOldOne) {
  TTessivar_Form& form = Start("");
  WriteFile("old.txt", "previous journal");
  form.Clear_ButtonClick();
  EXPECT_TRUE(form.Log_Memo->toPlainText().isEmpty());
  dialogs_.Answer = File("old.txt");
  form.Save_ButtonClick();
  EXPECT_EQ(ReadFile("old.txt"), "");
  EXPECT_EQ(log_.Records.size(), 1u);  // Clear journals nothing
}

TEST_F(LogPageTest, CancelledSaveWritesNothing) {
  TTessivar_Form& form = Start("");
  dialogs_.Answer.reset();
  form.Save_ButtonClick();
  EXPECT_TRUE(messages_.Errors.empty());
}

TEST_F(LogPageTest, UnwritableFileIsShownAndTheJournalKept) {
  TTessivar_Form& form = Start("");
  dialogs_.Answer = File("missing-folder/journal.txt");
  form.Save_ButtonClick();
  ASSERT_EQ(messages_.Errors.size(), 1u);
  EXPECT_EQ(messages_.Errors[0].rfind("Cannot create file \"" + *dialogs_.Answer + "\". ", 0), 0u);
  EXPECT_EQ(JournalMessages(), QStringList({"Halvoric Started !"}));
}

}  // namespace
}  // namespace halvoric::testing
