// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_fixture.h"

namespace halvoric::testing {
namespace {

QStringList Captions(const QTreeWidget& list) {
  QStringList captions;
  for (int i = 0; i < list.topLevelItemCount(); ++i) captions << list.topLevelItem(i)->text(0);
  return captions;
}

struct ScanCase {
  const char* Name;
  std::vector<unsigned> Drives;
  QStringList Rows;
  bool DetailsShown;  // drive 0's pages filled at start
};

class ScanTest : public FormTest, public ::testing::WithParamInterface<ScanCase> {};
class StartupTest : public FormTest {};

TEST_P(ScanTest, RowsCountAndFirstDetails) {
  const ScanCase& c = GetParam();
  TTessivar_Form& form = Start(DrivesScenario(c.Drives));
  EXPECT_EQ(Captions(*form.HDDs_ListView), c.Rows);
  EXPECT_EQ(form.DriveCount(), c.Rows.size());
  for (int i = 0; i < form.HDDs_ListView->topLevelItemCount(); ++i) {
    EXPECT_EQ(form.HDDs_ListView->topLevelItem(i)->checkState(0), Qt::Checked);
  }
  EXPECT_EQ(form.DiskInfo_ListView->topLevelItemCount() > 0, c.DetailsShown);
  EXPECT_EQ(form.SMARTInfo_ListView->topLevelItemCount() > 0, c.DetailsShown);
  EXPECT_EQ(JournalMessages().last(), "Halvoric Started !");
  EXPECT_TRUE(messages_.Errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Drives, ScanTest,
    ::testing::Values(ScanCase{"None", {}, {}, false},
                      ScanCase{"ZeroAndTwo", {0, 2}, {"0", "2"}, true},
                      ScanCase{"OnlyOne", {1}, {"1"}, false},
                      ScanCase{"AllFour", {0, 1, 2, 3}, {"0", "1", "2", "3"}, true},
                      ScanCase{"PastTheFourth", {3, 4}, {"3", "4"}, false},
                      ScanCase{"Six", {0, 1, 2, 3, 4, 5}, {"0", "1", "2", "3", "4", "5"}, true}),
    [](const auto& info) { return std::string(info.param.Name); });

// With the series on their own thread too: drive 0's pages are filled, and
// a drive that missed its deadline is journalled, before the start line.
TEST_F(StartupTest, DetailsAndSlowDrivesComeBeforeTheStartLine) {
  seriesOnOwnThread_ = true;
  seriesDeadline_ = std::chrono::milliseconds(100);
  TTessivar_Form& form = Start(DrivesScenario({0, 1}) + "delay-ms = 300\n");
  EXPECT_GT(form.DiskInfo_ListView->topLevelItemCount(), 0);
  EXPECT_GT(form.SMARTInfo_ListView->topLevelItemCount(), 0);
  const QStringList journal = JournalMessages();
  EXPECT_EQ(journal.count("Drive 1 did not answer within 1 seconds and reads as not answering"), 1);
  EXPECT_EQ(journal.last(), "Halvoric Started !");
}

TEST_F(StartupTest, DriveRowCarriesModelTemperatureAndStatus) {
  TTessivar_Form& form = Start(DrivesScenario({0}));
  const QTreeWidgetItem* row = form.HDDs_ListView->topLevelItem(0);
  EXPECT_EQ(row->text(1).trimmed(), "Disk 0");
  EXPECT_EQ(row->text(2), QString::fromUtf8("40\u00B0C"));
  EXPECT_EQ(row->text(3), "OK");
}

// A disk this user may not open is listed unread, by the kernel's model,
// with the reason as its tooltip, and the journal says why once.
TEST_F(StartupTest, ADiskTheUserMayNotOpenIsListedUnread) {
  TTessivar_Form& form = Start(DrivesScenario({0, 1}) + "permission = denied\n");
  const QTreeWidgetItem* row = form.HDDs_ListView->topLevelItem(1);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ((QStringList{row->text(0), row->text(1), row->text(2), row->text(3), row->toolTip(0)}),
            (QStringList{"1", "Disk 1", "N/A", "N/A", "this user may not open the drive"}));
  EXPECT_EQ(JournalMessages().filter("Drive 1 (Disk 1) cannot be opened, so it is listed").size(),
            1);
}

// A drive whose own critical temperature lies below the user's warning is
// named once at start-up, as the last line before the start line.
TEST_F(StartupTest, DriveCriticalBelowTheWarningIsJournalled) {
  WriteFile("config.xml", "<Tessivar><Temp>75</Temp></Tessivar>");
  Start(DrivesScenario({0, 1}) + "limits = warning=60 critical=70\n");
  const QStringList journal = JournalMessages();
  ASSERT_GE(journal.size(), 2);
  EXPECT_EQ(
      journal.count(QString::fromUtf8(
          "Drive 1 (Disk 1) says it is critical at 70\u00B0C; the warning is set to 75\u00B0C")),
      1);
  EXPECT_EQ(
      journal[journal.size() - 2],
      QString::fromUtf8(
          "Drive 1 (Disk 1) says it is critical at 70\u00B0C; the warning is set to 75\u00B0C"));
  EXPECT_EQ(journal.last(), "Halvoric Started !");
}

// The drive database, read on the drives' thread: its warning for a model
// and the entries it skipped are journalled once before the start line, the
// warning also on the drive's row, and the raw values read by their formats.
TEST_F(StartupTest, DriveDatabaseWarningsAndSkipsAreJournalledOnce) {
  seriesOnOwnThread_ = true;
  WriteFile("drivedb.h",
            "{ \"DEFAULT\", \"-\", \"-\", \"\", \"-v 194,tempminmax,Temperature_Celsius\" },\n"
            "{ \"Disks\", \"Disk 1\", \"\", \"Loses data\", \"-v 194,raw8\" },\n"
            "{ \"Broken\", \"(\", \"\", \"\", \"\" },\n");
  databaseFiles_ = {File("drivedb.h")};
  TTessivar_Form& form = Start(DrivesScenario({0, 1}));
  const QStringList journal = JournalMessages();
  EXPECT_EQ(journal.count("Drive 1 (Disk 1): the drive database warns: Loses data"), 1);
  EXPECT_EQ(journal.filter("Drive database entry skipped: ").size(), 1);
  EXPECT_EQ(journal.last(), "Halvoric Started !");
  EXPECT_TRUE(form.HDDs_ListView->topLevelItem(0)->toolTip(1).isEmpty());
  EXPECT_TRUE(form.HDDs_ListView->topLevelItem(1)->toolTip(1).contains("Loses data"));
  const QTreeWidgetItem* temperature = form.SMARTInfo_ListView->topLevelItem(0);
  ASSERT_NE(temperature, nullptr);
  EXPECT_FALSE(temperature->toolTip(5).isEmpty());
}

struct FirstStartCase {
  const char* Name;
  bool Protect;
  const char* Config;  // none: no file
  const char* Limits;  // the scenario's line for drive 1
  const char* Critical;
  const char* Why;  // the end of the journal's first-start line; none: no first start
};

class FirstStartTest : public FormTest, public ::testing::WithParamInterface<FirstStartCase> {};

// Only the menu entry's start on a new account is protected at once, saved
// at once; the drives (at 40) alert at the next check when their own limit
// lies below (once: the answer raises the critical temperature to 40).
TEST_P(FirstStartTest, WarningAndPopupOnAtTheDrivesOwnLimit) {
  const FirstStartCase& c = GetParam();
  protectOnFirstRun_ = c.Protect;
  if (c.Config != nullptr) WriteFile("config.xml", c.Config);
  TTessivar_Form& form = Start(DrivesScenario({0, 1}) + c.Limits);
  const bool on = c.Why != nullptr;
  form.MakePreferencesPage();
  EXPECT_EQ((std::vector<bool>{form.Settings.TempWarn, form.Settings.PopupNotification,
                               form.CheckTemp_Timer->isActive()}),
            std::vector<bool>(3, on));
  EXPECT_EQ(form.CritTemp_Edit->text(), c.Critical);
  EXPECT_EQ(form.Settings.CritTempValue, form.CritTemp_Edit->text().toUInt());
  const QString line =
      QString::fromUtf8("FIRST START: temperature warning and popup alert on at ") + c.Critical +
      QString::fromUtf8("\u00B0C, ") + c.Why;
  EXPECT_EQ(JournalMessages().filter("FIRST START"), on ? QStringList{line} : QStringList{});
  EXPECT_EQ(ReadFile("config.xml").find("<TempWarn>-1") != std::string::npos, on);
  const bool hot = on && form.CritTemp_Edit->text().toInt() < 40;
  form.CheckTemp_TimerTimer();
  EXPECT_EQ(messages_.Alerts.size(), hot ? 1u : 0u);
}

const char* const kNamed = "the lowest warning temperature the drives name";
const char* const kUnnamed = "as no drive names a warning temperature";

INSTANTIATE_TEST_SUITE_P(
    Starts, FirstStartTest,
    ::testing::Values(
        FirstStartCase{"DriveLimit", true, nullptr, "limits = warning=35\n", "35", kNamed},
        FirstStartCase{"NoLimit", true, nullptr, "", "50", kUnnamed},
        FirstStartCase{"LimitPastTheField", true, nullptr, "limits = warning=120\n", "50",
                       kUnnamed},
        FirstStartCase{"FileExists", true, "<Tessivar><Temp>60</Temp></Tessivar>",
                       "limits = warning=45\n", "60", nullptr},
        FirstStartCase{"NotFromTheMenu", false, nullptr, "limits = warning=45\n", "50", nullptr}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(StartupTest, SelectingARowShowsThatDrive) {
  TTessivar_Form& form = Start(DrivesScenario({1, 2}));
  ASSERT_EQ(form.DiskInfo_ListView->topLevelItemCount(), 0);

  form.HDDs_ListView->setCurrentItem(form.HDDs_ListView->topLevelItem(0));
  const int rowsOfDrive1 = form.DiskInfo_ListView->topLevelItemCount();
  ASSERT_GT(rowsOfDrive1, 0);
  EXPECT_TRUE(form.DiskInfo_ListView->findItems("Disk 1", Qt::MatchStartsWith, 1).size() == 1);
  EXPECT_GT(form.SMARTInfo_ListView->topLevelItemCount(), 0);

  form.HDDs_ListView->setCurrentItem(form.HDDs_ListView->topLevelItem(1));
  EXPECT_EQ(form.DiskInfo_ListView->findItems("Disk 2", Qt::MatchStartsWith, 1).size(), 1);
  EXPECT_EQ(form.HDDs_ListView->topLevelItem(0)->checkState(0), Qt::Checked);
}

TEST_F(StartupTest, SettingsLinesStandAboveTheStartLineAndMissTheSystemLog) {
  WriteFile("config.xml",
            "<Tessivar><AutoRun>-1</AutoRun><TempWarn>-1</TempWarn><Temp>55</Temp></Tessivar>");
  TTessivar_Form& form = Build(DrivesScenario({0}));
  form.FormCreate();

  EXPECT_EQ(JournalMessages(),
            QStringList({"ENABLED autorun", "ENABLED temperature warning", "Halvoric Started !"}));
  ASSERT_EQ(log_.Records.size(), 1u);
  EXPECT_TRUE(QString::fromStdString(log_.Records[0]).endsWith(" * Halvoric Started !"));
  EXPECT_EQ(log_.Source, "Tessivar");
  EXPECT_TRUE(form.Settings.AutoRun);
  form.MakePreferencesPage();
  EXPECT_EQ(form.CritTemp_Edit->text(), "55");
  EXPECT_EQ(form.Settings.CritTempValue, 55);
  EXPECT_EQ(startAtLogon_.Calls, std::vector<std::string>{"enable"});
  EXPECT_TRUE(form.CheckTemp_Timer->isActive());
}

TEST_F(StartupTest, NoTimerRunsAfterStart) {
  TTessivar_Form& form = Start(DrivesScenario({0}));
  EXPECT_FALSE(form.CheckTemp_Timer->isActive());
  EXPECT_FALSE(form.Hibernate_Timer->isActive());
}

TEST_F(StartupTest, BadConfigIsShownAndStartUpGoesOn) {
  WriteFile("config.xml",
            "<Tessivar><AutoRun>-1</AutoRun><LogEvents>yes</LogEvents>"
            "<DiskStatus>True</DiskStatus></Tessivar>");
  TTessivar_Form& form = Start(DrivesScenario({0, 1}));
  EXPECT_EQ(messages_.Errors, std::vector<std::string>{"'yes' is not a valid boolean value"});
  form.MakePreferencesPage();
  EXPECT_TRUE(form.AutoRun_CheckBox->isChecked());
  EXPECT_FALSE(form.LogEvents_CheckBox->isChecked());
  EXPECT_TRUE(form.DiskStatus_CheckBox->isChecked());
  EXPECT_EQ(form.DriveCount(), 2);
  EXPECT_GT(form.DiskInfo_ListView->topLevelItemCount(), 0);
  EXPECT_EQ(JournalMessages().last(), "Halvoric Started !");
  EXPECT_TRUE(log_.Records.size() == 1);
}

TEST_F(StartupTest, RefusedSystemLogIsShownAndTheJournalStaysLocal) {
  log_.Refuse = true;
  TTessivar_Form& form = Start(DrivesScenario({0}));
  EXPECT_EQ(messages_.Errors, std::vector<std::string>{"Unable to register event source."});
  EXPECT_FALSE(form.EventLogWriter1.Enabled());
  EXPECT_EQ(form.DriveCount(), 1);
  EXPECT_EQ(form.HDDs_ListView->columnWidth(1), 200);
  EXPECT_EQ(JournalMessages().last(), "Halvoric Started !");
  form.AddLogLine("later");
  EXPECT_TRUE(log_.Records.empty());
}

}  // namespace
}  // namespace halvoric::testing
