// SPDX-License-Identifier: GPL-3.0-or-later
// The journal: its lines, its mirror in the system log, and saving it.
#include "settings/journal.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <filesystem>
#include <memory>

#include "settings/event_log_writer.h"
#include "settings/journal_line.h"
#include "tests/base/temp_files.h"
#include "tests/services/service_fakes.h"

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

// The Log page as a list of lines.
class FakePage final : public JournalView {
 public:
  void AppendJournalLine(const QString& line) override { Lines << line; }
  QString JournalText() const override { return Lines.join('\n'); }
  void ClearJournal() override { Lines.clear(); }
  QStringList Lines;
};

class JournalTest : public ::testing::Test {
 protected:
  JournalTest() {
    writer_.SetAppName("Tessivar");
    EXPECT_TRUE(writer_.RegisterSource().Ok());
  }

  TempDir dir_;
  FakeSystemLog log_;
  TEventLogWriter writer_{log_};
  FakeDialogs dialogs_;
  FakeMessages messages_;
  FakePage page_;
  Journal journal_{page_, writer_, dialogs_, messages_};
};

TEST_F(JournalTest, LinesReachPageAndSystemLogWithTheirDate) {
  journal_.AddLogLine("hello");
  ASSERT_EQ(page_.Lines.size(), 1);
  EXPECT_TRUE(page_.Lines[0].endsWith(" * hello"));
  EXPECT_EQ(QString::fromStdString(log_.Records.back()), page_.Lines[0]);

  journal_.AddLogLineBareToSystemLog("Halvoric was Hibernated");
  EXPECT_TRUE(page_.Lines[1].endsWith(" * Halvoric was Hibernated"));
  EXPECT_EQ(log_.Records.back(), "Halvoric was Hibernated");
}

TEST_F(JournalTest, SaveWritesEachLineWithCrLfUnderTheNameAsGiven) {
  journal_.AddLogLine("first");
  journal_.AddLogLine("second");
  dialogs_.Answer = dir_.File("journal");
  journal_.Save({"Log File (*.txt)"});
  EXPECT_EQ(dialogs_.SaveFilter, "Log File (*.txt)");
  const std::string expected =
      (page_.Lines[0] + "\r\n" + page_.Lines[1] + "\r\n").toUtf8().toStdString();
  EXPECT_EQ(ReadFile(dir_.File("journal")), expected);
  EXPECT_EQ(page_.Lines.size(), 2);
}

TEST_F(JournalTest, SaveAfterClearWritesAnEmptyFileOverTheOldOne) {
  journal_.AddLogLine("old");
  WriteFile(dir_.File("old.txt"), "previous journal");
  journal_.Clear();
  EXPECT_TRUE(page_.Lines.isEmpty());
  dialogs_.Answer = dir_.File("old.txt");
  journal_.Save({});
  EXPECT_EQ(ReadFile(dir_.File("old.txt")), "");
  EXPECT_EQ(log_.Records.size(), 1u);  // Clear journals nothing
}

TEST_F(JournalTest, CancelledOrUnwritableSaveKeepsTheJournal) {
  journal_.AddLogLine("kept");
  dialogs_.Answer.reset();
  journal_.Save({});
  EXPECT_TRUE(messages_.Errors.empty());

  dialogs_.Answer = dir_.File("missing-folder/journal.txt");
  journal_.Save({});
  ASSERT_EQ(messages_.Errors.size(), 1u);
  EXPECT_EQ(messages_.Errors[0].rfind("Cannot create file \"" + *dialogs_.Answer + "\". ", 0), 0u);
  EXPECT_EQ(page_.Lines.size(), 1);
}

}  // namespace
}  // namespace halvoric::testing
