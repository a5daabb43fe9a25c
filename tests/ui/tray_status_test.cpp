// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>

#include "form_fixture.h"
#include "tests/monitor/monitor_fakes.h"
#include "tests/shell/tray_fakes.h"

namespace halvoric::testing {
namespace {

std::vector<std::string> Balloons(const FakeArea& area,
                                  BalloonIconKind icon = BalloonIconKind::Info) {
  std::vector<std::string> texts;
  for (const FakeArea::Request& r : area.requests) {
    if (r.op == "modify" && (r.record.flags & NIF_INFO) && !r.record.Info().empty()) {
      EXPECT_EQ(r.record.InfoTitle(), "Halvoric");
      EXPECT_EQ(r.record.infoIcon, icon);
      EXPECT_EQ(r.record.timeoutOrVersion, 10000u);
      texts.push_back(r.record.Info());
    }
  }
  return texts;
}

// The mark drawn at the icon's lower right: "red", "amber" or "none".
std::string MarkOf(const QIcon& icon) {
  const QColor corner = icon.pixmap(32, 32).toImage().pixelColor(24, 24);
  if (corner.alpha() < 200 || corner.red() < 200) return "none";
  return corner.green() < 80 ? "red" : corner.green() > 120 ? "amber" : "none";
}

QStringList TempCells(const TTessivar_Form& form) {
  QStringList cells;
  for (int i = 0; i < form.HDDs_ListView->topLevelItemCount(); ++i)
    cells << form.HDDs_ListView->topLevelItem(i)->text(2);
  return cells;
}

class TrayTest : public FormTest {
 protected:
  // Starts the window as the user sees it, with the disk status report on or off.
  TTessivar_Form& Shown(const std::string& scenario, bool diskStatus = true) {
    WriteFile("config.xml", std::string("<Tessivar><DiskStatus>") + (diskStatus ? "-1" : "0") +
                                "</DiskStatus></Tessivar>");
    TTessivar_Form& form = Start(scenario);
    form.show();
    return form;
  }

  // The user's minimise: the window goes to the tray.
  void Minimise(TTessivar_Form& form) {
    form.showMinimized();
    EXPECT_TRUE(RunUntil([&] { return !form.isVisible(); }));
  }
};

struct ReportCase {
  const char* Name;
  std::string Scenario;
  bool DiskStatus;
  int BalloonCount;
  std::string LastBalloon;
  QStringList Cells;  // the "Temp" column afterwards
  // The tray icon's look, before and after the report alike.
  std::string Tip;
  std::string Mark;
  BalloonIconKind Icon = BalloonIconKind::Info;
};

class StatusReportTest : public TrayTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(StatusReportTest, MinimiseShowsEachDriveAndRewritesTheTempCells) {
  const ReportCase& c = GetParam();
  TTessivar_Form& form = Shown(c.Scenario, c.DiskStatus);
  for (int i = 0; i < form.HDDs_ListView->topLevelItemCount(); ++i)
    form.HDDs_ListView->topLevelItem(i)->setText(2, "stale");
  const auto look = [&] {
    ASSERT_FALSE(tray_.requests.empty());
    EXPECT_EQ(tray_.Last().record.Tip(), c.Tip);
    EXPECT_EQ(MarkOf(tray_.Last().record.icon), c.Mark);
  };
  look();
  tray_.requests.clear();
  Minimise(form);
  look();

  const std::vector<std::string> balloons = Balloons(tray_, c.Icon);
  ASSERT_EQ(balloons.size(), static_cast<size_t>(c.BalloonCount));
  if (!balloons.empty() && !c.LastBalloon.empty()) {
    EXPECT_EQ(balloons.back(), c.LastBalloon);
  }
  EXPECT_EQ(TempCells(form), c.Cells);
  EXPECT_EQ(tray_.present.size(), 1u) << "the icon stays in the tray";
}

INSTANTIATE_TEST_SUITE_P(
    Drives, StatusReportTest,
    ::testing::Values(
        ReportCase{
            "TwoDrives",
            "[drive 0]\nmodel = A\nattribute = 194 value=59 worst=50 raw=41\n"
            "[drive 1]\nmodel = B\nattribute = 194 value=62 worst=50 raw=38\n",
            true,
            2,
            "A\rTemp: 41" + kDegrees + ", OK\r" + "B\rTemp: 38" + kDegrees + ", OK\r",
            {QString::fromStdString("41" + kDegrees), QString::fromStdString("38" + kDegrees)},
            "Halvoric\nDrive 0: 41" + kDegrees + ", OK\nDrive 1: 38" + kDegrees + ", OK",
            "none"},
        ReportCase{
            "DrivesZeroAndTwoByTheirCaptions",
            DrivesScenario({0, 2}),
            true,
            2,
            "Disk 0\rTemp: 40" + kDegrees + ", OK\r" + "Disk 2\rTemp: 40" + kDegrees + ", OK\r",
            {QString::fromStdString("40" + kDegrees), QString::fromStdString("40" + kDegrees)},
            "Halvoric\nDrive 0: 40" + kDegrees + ", OK\nDrive 2: 40" + kDegrees + ", OK",
            "none"},
        // WARN marks the icon amber; above the critical temperature (50 by
        // default) the balloon warns.
        ReportCase{"WarnMarksAmberHotWarns",
                   "[drive 0]\nmodel = A\nattribute = 5 value=100 worst=100 threshold=10 raw=8\n"
                   "attribute = 194 value=59 worst=50 raw=52\n",
                   true,
                   1,
                   "A\rTemp: 52" + kDegrees + ", WARN: 8 reallocated sectors\r",
                   {QString::fromStdString("52" + kDegrees)},
                   "Halvoric\nDrive 0: 52" + kDegrees + ", WARN",
                   "amber",
                   BalloonIconKind::Warning},
        // BAD outweighs WARN in the mark, and the balloon warns.
        ReportCase{
            "BadMarksRedAndWarns",
            "[drive 0]\nmodel = A\nattribute = 5 value=100 worst=100 threshold=10 raw=8\n"
            "attribute = 194 value=59 worst=50 raw=41\n"
            "[drive 1]\nmodel = B\nattribute = 5 value=5 worst=5 threshold=10\n"
            "attribute = 194 value=62 worst=50 raw=38\n",
            true,
            2,
            "",
            {QString::fromStdString("41" + kDegrees), QString::fromStdString("38" + kDegrees)},
            "Halvoric\nDrive 0: 41" + kDegrees + ", WARN\nDrive 1: 38" + kDegrees + ", BAD",
            "red",
            BalloonIconKind::Warning}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TrayTest, IconIsInTheTrayFromTheStartWithItsTooltip) {
  Shown(DrivesScenario({0}));
  // Added at the first turn of events after the window is up, with the
  // look the start-up scan gave it.
  ASSERT_TRUE(RunUntil([&] { return tray_.present.size() == 1u; }));
  EXPECT_EQ(tray_.Last().record.Tip(), "Halvoric\nDrive 0: 40" + kDegrees + ", OK");
  EXPECT_FALSE(tray_.Last().record.icon.isNull());
}

struct WayBackCase {
  const char* Name;
  std::vector<TrayNotification> Notifications;
  bool UseMenu;  // "Show Main Window" instead of notifications
};

class WayBackTest : public TrayTest, public ::testing::WithParamInterface<WayBackCase> {};

TEST_P(WayBackTest, BringsTheWindowBack) {
  const WayBackCase& c = GetParam();
  TTessivar_Form& form = Shown(DrivesScenario({0}));
  Minimise(form);
  if (c.UseMenu) form.ShowTessivar1->trigger();
  for (TrayNotification n : c.Notifications) form.TrayIcon1.HandleNotification(n);
  EXPECT_TRUE(RunUntil([&] { return form.isVisible(); }));
  EXPECT_FALSE(form.isMinimized());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, WayBackTest,
    ::testing::Values(WayBackCase{"DoubleClick",
                                  {TrayNotification::LeftButtonDown, TrayNotification::LeftButtonUp,
                                   TrayNotification::LeftButtonDoubleClick,
                                   TrayNotification::LeftButtonUp},
                                  false},
                      WayBackCase{"BalloonClick", {TrayNotification::BalloonUserClick}, false},
                      WayBackCase{"MenuItem", {}, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TrayTest, RightButtonOpensTheTrayMenu) {
  TTessivar_Form& form = Shown(DrivesScenario({0}));
  form.TrayIcon1.HandleNotification(TrayNotification::RightButtonDown);
  ASSERT_EQ(input_.menus.size(), 1u);
  EXPECT_EQ(input_.menus[0], form.PopupMenu1);
}

struct ExitCase {
  const char* Name;
  bool HiddenToTray;
  bool Writable;
};

class ExitTest : public TrayTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitTest, ExitSavesAndClosesOrStaysWhenTheFileCannotBeWritten) {
  const ExitCase& c = GetParam();
  TTessivar_Form& form = Shown(DrivesScenario({0}));
  form.Settings.EmailAddr = "exit@example.org";
  if (c.HiddenToTray) Minimise(form);
  std::filesystem::remove(File("config.xml"));
  if (!c.Writable) std::filesystem::create_directory(File("config.xml"));

  form.Exit1->trigger();

  EXPECT_EQ(std::filesystem::is_regular_file(File("config.xml")) &&
                ReadFile("config.xml").find("exit@example.org") != std::string::npos,
            c.Writable);
  EXPECT_EQ(messages_.Errors.empty(), c.Writable);
  EXPECT_EQ(form.isVisible(), !c.HiddenToTray && !c.Writable);
}

INSTANTIATE_TEST_SUITE_P(Files, ExitTest,
                         ::testing::Values(ExitCase{"FromTheTray", true, true},
                                           ExitCase{"UnwritableStaysOpen", false, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace halvoric::testing
