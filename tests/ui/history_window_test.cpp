// SPDX-License-Identifier: GPL-3.0-or-later
// The drive list's context menu and the windows it opens: the temperature
// history, and a drive's self-tests and errors.
#include <sqlite3.h>

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QWindow>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <thread>

#include "desktop/qt_dialogs.h"
#include "form_fixture.h"
#include "monitor/history_store.h"
#include "ui/drive_logs_window.h"

namespace halvoric::testing {
namespace {

class HistoryWindowTest : public FormTest {
 protected:
  std::int64_t Now() const {
    return std::chrono::duration_cast<std::chrono::seconds>(calendar_.Time.time_since_epoch())
        .count();
  }
  // Readings of drive 0 kept beside config.xml, as the watches keep them.
  void Keep(const std::vector<HistoryReading>& readings) {
    Result<HistoryStore> store = HistoryStore::Open(File(HistoryFileName));
    ASSERT_TRUE(store.Ok()) << store.Message;
    for (const HistoryReading& reading : readings) ASSERT_TRUE(store->Record(reading).Ok());
  }
  HistoryReading At(std::int64_t ago, std::optional<int> temperature) {
    // As the drive sends it, padded to its 20 characters.
    return {"S0" + std::string(18, ' '),
            "",
            Now() - ago,
            temperature,
            temperature ? PowerMode::Active : PowerMode::Standby,
            {}};
  }

  static std::vector<QLineSeries*> Lines(const HistoryWindow& window, const QString& name) {
    std::vector<QLineSeries*> lines;
    for (QAbstractSeries* series : window.Chart()->series()) {
      if (auto* line = qobject_cast<QLineSeries*>(series); line && series->name() == name) {
        lines.push_back(line);
      }
    }
    return lines;
  }
  // Opens the row's menu on drive `n`, as a right click on its row does.
  void OpenMenu(TTessivar_Form& form, int row) {
    const QRect place = form.HDDs_ListView->visualItemRect(form.HDDs_ListView->topLevelItem(row));
    form.HDDs_ListViewContextPopup(place.center());
    form.HDDs_PopupMenu->close();
  }
  // The self-tests started or aborted that reached the simulated drives.
  std::size_t SelfTestCommands() const {
    std::size_t sent = 0;
    for (const sim::RecordedEvent& e : disks_->Events()) {
      sent += e.What == sim::RecordedEvent::Kind::Control && e.Request.Command == 0xB0 &&
              e.Request.Features == 0xD4;
    }
    return sent;
  }
  static QStringList Cells(const QTreeWidget& view, int row) {
    QStringList cells;
    for (int c = 0; c < view.columnCount(); ++c) cells << view.topLevelItem(row)->text(c);
    return cells;
  }
  static std::shared_ptr<int> CountDraws(HistoryWindow& window) {
    auto draws = std::make_shared<int>(0);
    QObject::connect(&window, &HistoryWindow::Drawn, [draws] { ++*draws; });
    return draws;
  }
};

TEST_F(HistoryWindowTest, TheRowsMenuOpensTheDrivesHistoryUnlessItNeverIdentifiedItself) {
  // Drive 1 sends no serial: nothing can be kept under its name.
  TTessivar_Form& form = Start(DrivesScenario({0}) + "[drive 1]\nmodel = Anonymous\n");
  EXPECT_EQ(form.HDDs_ListView->contextMenuPolicy(), Qt::CustomContextMenu);
  EXPECT_EQ(form.TempHistory1->text(), QString::fromUtf8("Temperature history\u2026"));
  ASSERT_EQ(form.HDDs_ListView->topLevelItemCount(), 2);

  struct Row {
    int index;
    bool enabled;
  };
  for (const Row row : {Row{0, true}, Row{1, false}, Row{0, true}}) {
    const QRect place =
        form.HDDs_ListView->visualItemRect(form.HDDs_ListView->topLevelItem(row.index));
    form.HDDs_ListViewContextPopup(place.center());
    EXPECT_EQ(form.TempHistory1->isEnabled(), row.enabled) << row.index;
    form.HDDs_PopupMenu->close();
  }
  EXPECT_EQ(form.ShowTemperatureHistory(1), nullptr);

  form.TempHistory1->trigger();
  const auto windows = form.findChildren<HistoryWindow*>();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_EQ(windows[0]->windowTitle(), "Temperature history - Disk 0 (serial S0)");
  EXPECT_TRUE(windows[0]->isWindow());
  // The start-up scan's reading, and the critical temperature as a line.
  ASSERT_EQ(Lines(*windows[0], "Temperature").size(), 1u);
  EXPECT_EQ(Lines(*windows[0], "Temperature")[0]->count(), 1);
  const std::vector<QLineSeries*> critical =
      Lines(*windows[0], QString("Critical %1 \u00b0C").arg(form.Settings.CritTempValue));
  ASSERT_EQ(critical.size(), 1u);
  EXPECT_EQ(critical[0]->at(0).y(), form.Settings.CritTempValue);
}

// Readings already handed to the history when the program ends are written,
// even while another program holds the file: here the second drive's
// reading of the last tick waits behind the first.
TEST_F(HistoryWindowTest, AnEndingProgramWritesTheReadingsItAlreadyTook) {
  WriteFile(
      "config.xml",
      "<Tessivar><TempWarn>-1</TempWarn><Temp>60</Temp><HealthWarn>0</HealthWarn></Tessivar>");
  seriesOnOwnThread_ = true;
  TTessivar_Form& form = Start(DrivesScenario({0, 1}));
  const std::string path = File(HistoryFileName);
  const auto readingsOf = [&](const char* serial) {
    Result<HistoryStore> store = HistoryStore::Open(path);
    if (!store.Ok()) return std::size_t{0};
    const Result<std::vector<HistoryReading>> kept = store->Readings(serial + std::string(18, ' '));
    return kept.Ok() ? kept->size() : 0;
  };
  QElapsedTimer waited;
  waited.start();
  // Both start-up readings in the file before the clock moves on: one kept
  // later would share the tick's second and count once.
  while ((readingsOf("S0") < 1 || readingsOf("S1") < 1) && waited.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  ASSERT_EQ(readingsOf("S0"), 1u) << "the start-up scan's reading";
  ASSERT_EQ(readingsOf("S1"), 1u) << "the start-up scan's reading";

  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  calendar_.Advance(std::chrono::seconds(30));
  form.CheckTemp_TimerTimer();
  waited.restart();
  while (!form.CheckTemp_Timer->isActive() && waited.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  std::thread release([holder] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
  });
  form_.reset();
  release.join();
  EXPECT_EQ(readingsOf("S0"), 2u);
  EXPECT_EQ(readingsOf("S1"), 2u);
}

// The programs draw through the module they load at the first window; one
// that is missing says why instead of showing nothing.
TEST_F(HistoryWindowTest, TheProgramsOpenTheWindowThroughTheirModule) {
  TTessivar_Form& form = Start(DrivesScenario({0}));
  const struct {
    const char* module;
    const char* said;  // none: the window opens
  } cases[] = {
      {HALVORIC_HISTORY_MODULE, nullptr},
      {"/nonexistent/libhalvoric-history.so",
       "The temperature history cannot be shown: /nonexistent/libhalvoric-history.so"},
  };
  for (const auto& c : cases) {
    messages_.Errors.clear();
    form.Platform.OpenHistoryWindow = HistoryModuleOpener(c.module);
    QWidget* window = form.ShowTemperatureHistory(0);
    if (c.said == nullptr) {
      ASSERT_NE(window, nullptr);
      EXPECT_EQ(window->windowTitle(), "Temperature history - Disk 0 (serial S0)");
      EXPECT_TRUE(window->isVisible());
      EXPECT_TRUE(messages_.Errors.empty());
      delete window;
    } else {
      EXPECT_EQ(window, nullptr);
      ASSERT_EQ(messages_.Errors.size(), 1u);
      EXPECT_EQ(messages_.Errors[0].rfind(c.said, 0), 0u) << messages_.Errors[0];
    }
  }
}

TEST_F(HistoryWindowTest, GapsForStandbyAndForTimesTheProgramDidNotRun) {
  TTessivar_Form& form = Start(DrivesScenario({0}));
  // An hour ago for 10 minutes, then asleep 10 minutes, awake 10 minutes,
  // not running 20 minutes, awake again up to the scan.
  std::vector<HistoryReading> readings;
  for (std::int64_t ago = 3600; ago > 0; ago -= 30) {
    const std::int64_t minute = (3600 - ago) / 60;
    if (minute >= 30 && minute < 50) continue;
    readings.push_back(
        At(ago, minute >= 10 && minute < 20 ? std::nullopt : std::optional<int>(40)));
  }
  Keep(readings);
  auto* window = qobject_cast<HistoryWindow*>(form.ShowTemperatureHistory(0));
  ASSERT_NE(window, nullptr);
  window->ShowRange(HistoryRange::Hour);
  EXPECT_EQ(Lines(*window, "Temperature").size(), 3u);
  EXPECT_TRUE(window->Note()->text().isEmpty());
  // Standby is a grey band of its own, from minute 10 to minute 20; the
  // time not running is left blank.
  QList<QAreaSeries*> standby;
  for (QAbstractSeries* series : window->Chart()->series()) {
    if (series->name() == "Standby") standby << qobject_cast<QAreaSeries*>(series);
  }
  ASSERT_EQ(standby.size(), 1);
  ASSERT_NE(standby[0], nullptr);
  const QList<QPointF> band = standby[0]->upperSeries()->points();
  ASSERT_EQ(band.size(), 4);
  EXPECT_EQ(band.front().x(), (Now() - 3000) * 1000.0);
  EXPECT_EQ(band.back().x(), (Now() - 2400) * 1000.0);

  // The pointer over a reading names its time and temperature.
  QApplication::processEvents();
  auto* view = window->findChild<QChartView*>();
  ASSERT_NE(view, nullptr);
  const auto hover = [&](std::int64_t ago) {
    const QPointF at = window->Chart()->mapToPosition({(Now() - ago) * 1000.0, 40});
    const QPoint pixel = view->mapFromScene(at);
    QMouseEvent move(QEvent::MouseMove, pixel, view->viewport()->mapToGlobal(pixel), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    return window->HoverText();
  };
  EXPECT_TRUE(
      hover(3300).endsWith(QString::fromUtf8("\n40\u00b0C\nlowest 40\u00b0C, highest 40\u00b0C")))
      << hover(3300).toStdString();
  EXPECT_TRUE(hover(1200).isEmpty()) << "not running then";

  // A week on, the hour is empty and says so; the week still holds it all.
  calendar_.Advance(std::chrono::hours(24 * 7));
  window->ShowRange(HistoryRange::Hour);
  EXPECT_TRUE(Lines(*window, "Temperature").empty());
  EXPECT_EQ(window->Note()->text(), "No readings of this drive in this time.");
  window->ShowRange(HistoryRange::Month);
  EXPECT_FALSE(Lines(*window, "Temperature").empty());
}

TEST_F(HistoryWindowTest, AnOpenWindowFollowsItsDrivesNewReadingsInTheRangeChosen) {
  TTessivar_Form& form = Start(DrivesScenario({0, 1}));
  // Only drive 0 is watched: drive 1's window has nothing new to show.
  form.HDDs_ListView->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
  auto* followed = qobject_cast<HistoryWindow*>(form.ShowTemperatureHistory(0));
  auto* other = qobject_cast<HistoryWindow*>(form.ShowTemperatureHistory(1));
  ASSERT_NE(followed, nullptr);
  ASSERT_NE(other, nullptr);
  followed->ShowRange(HistoryRange::Hour);
  // The health watch's first check, queued at the start, keeps the scan's
  // time again: drawn before the steps count.
  QApplication::processEvents();
  QApplication::processEvents();
  const std::shared_ptr<int> followedDraws = CountDraws(*followed);
  const std::shared_ptr<int> otherDraws = CountDraws(*other);
  other->activateWindow();
  QApplication::processEvents();
  QWidget* const active = QApplication::activeWindow();
  ASSERT_EQ(active, other);

  struct Step {
    const char* what;
    std::function<void()> run;
    int points;  // drive 0's in the last hour after it
    int draws;   // of drive 0's window, all told
  };
  const std::vector<Step> steps = {
      {"a temperature tick", [&] { form.CheckTemp_TimerTimer(); }, 2, 1},
      // The health check keeps the temperature too, warning on or off.
      {"a health check", [&] { form.Monitor.Health().Check(); }, 3, 2},
      {"two ticks in one turn",
       [&] {
         form.CheckTemp_TimerTimer();
         calendar_.Advance(std::chrono::seconds(30));
         form.CheckTemp_TimerTimer();
       },
       5, 3},
  };
  std::int64_t drawnAt = Now();
  for (const Step& step : steps) {
    calendar_.Advance(std::chrono::seconds(30));
    const int before = *followedDraws;
    step.run();
    QApplication::processEvents();
    if (*followedDraws != before) drawnAt = Now();
    const std::vector<QLineSeries*> lines = Lines(*followed, "Temperature");
    ASSERT_EQ(lines.size(), 1u) << step.what;
    EXPECT_EQ(lines[0]->count(), step.points) << step.what;
    EXPECT_EQ(*followedDraws, step.draws) << step.what;
    EXPECT_EQ(*otherDraws, 0) << step.what;
    EXPECT_EQ(QApplication::activeWindow(), active) << step.what;
    // Still the hour the user chose, up to the last reading drawn.
    const QList<QAbstractAxis*> time = followed->Chart()->axes(Qt::Horizontal);
    ASSERT_EQ(time.size(), 1) << step.what;
    auto* axis = qobject_cast<QCategoryAxis*>(time[0]);
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->max(), drawnAt * 1000.0) << step.what;
    EXPECT_EQ(axis->min(), (drawnAt - 3600) * 1000.0) << step.what;
    // Ticks on the clock's ten minutes.
    for (const QString& label : axis->categoriesLabels()) {
      EXPECT_EQ(QTime::fromString(label, "HH:mm").minute() % 10, 0) << label.toStdString();
    }
  }

  // Gone while its redraw is due, and told nothing after; the other window
  // stays open while the program ends.
  form.CheckTemp_TimerTimer();
  delete followed;
  QApplication::processEvents();
  form.CheckTemp_TimerTimer();
  QApplication::processEvents();
  EXPECT_EQ(*otherDraws, 0);
}

TEST_F(HistoryWindowTest, ExportsTheRangeAsCsvOrSaysWhyNot) {
  TTessivar_Form& form = Start(DrivesScenario({0}));
  Keep({At(90, 38), At(60, std::nullopt), At(30, 39)});
  auto* window = qobject_cast<HistoryWindow*>(form.ShowTemperatureHistory(0));
  ASSERT_NE(window, nullptr);

  // A name typed without a suffix gets the one the dialog offers.
  dialogs_.Answer = File("day");
  window->ExportCsv();
  EXPECT_EQ(dialogs_.SaveFilter, "CSV file (*.csv)");
  EXPECT_FALSE(std::filesystem::exists(File("day")));
  const std::string csv = ReadFile("day.csv");
  // The header, the three readings and the scan's.
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5) << csv;
  EXPECT_NE(csv.find(",standby\n"), std::string::npos) << csv;

  dialogs_.Answer = File("no-such-folder/day.csv");
  window->ExportCsv();
  ASSERT_EQ(messages_.Errors.size(), 1u);
  EXPECT_NE(messages_.Errors[0].find("no-such-folder/day.csv"), std::string::npos);

  dialogs_.Answer.reset();
  window->ExportCsv();
  EXPECT_EQ(messages_.Errors.size(), 1u);
}

// A USB disk chooses its own model and serial: each surface they reach shows
// them as written. Qt reads a text as markup when told to, or, left to guess,
// when it merely looks like markup.
TEST_F(HistoryWindowTest, DriveStringsAreShownAsWritten) {
  const auto shown = [](const QString& text, Qt::TextFormat format) {
    const bool rich =
        format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
    return rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
  };
  for (const std::string drive :
       {"<img src=/dev/zero>", "<b><font color=red>REPLACE NOW</font></b>",
        "A&amp;B [*] &lt;x&gt;"}) {
    HistoryWindow window({dialogs_, messages_, calendar_}, File(HistoryFileName), drive, drive, 50);
    window.show();
    QString inBox;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      inBox = box != nullptr ? shown(box->text(), box->textFormat()) : "no box";
      if (box != nullptr) box->accept();
    });
    QtMessageBoxes().Alert(drive);
    for (const QString& surface :
         {window.windowHandle()->title(),
          shown(window.Heading()->text(), window.Heading()->textFormat()), inBox}) {
      EXPECT_TRUE(surface.contains(QString::fromStdString(drive))) << surface.toStdString();
    }
    // The chart cuts a title too wide for it back into markup: none is given.
    EXPECT_TRUE(window.Chart()->title().isEmpty());
  }
}

// The self-test entries offer what each drive runs, as it said when the
// menu opened; a drive that sleeps is not woken to ask it.
TEST_F(HistoryWindowTest, TheSelfTestEntriesFollowTheDrivesAbilitiesAndItsRunningTest) {
  TTessivar_Form& form = Start(DrivesScenario({0}) + "self-tests = none\n" + DrivesScenario({1}) +
                               "self-tests = short extended conveyance\n" + DrivesScenario({2}) +
                               "runtime-suspend = always\n");
  EXPECT_EQ(form.DriveLogs1->text(), QString::fromUtf8("Self-tests and &errors\u2026"));
  EXPECT_EQ(form.SelfTest1->menuAction()->menu(), form.SelfTest1);
  disks_->ClearEvents();
  struct Row {
    int row;
    std::function<void()> before;
    std::array<bool, 4> enabled;  // short, extended, conveyance, abort
  };
  const std::vector<Row> rows = {
      {0, {}, {false, false, false, false}},
      {1, {}, {true, true, true, false}},
      {2, {}, {false, false, false, false}},
      {1,
       [&] {
         OpenMenu(form, 1);
         form.ExtendedSelfTest1->trigger();
       },
       {false, false, false, true}},
      {1, [&] { form.AbortSelfTest1->trigger(); }, {true, true, true, false}},
  };
  for (const Row& row : rows) {
    if (row.before) row.before();
    OpenMenu(form, row.row);
    const std::array<QAction*, 4> entries = {form.ShortSelfTest1, form.ExtendedSelfTest1,
                                             form.ConveyanceSelfTest1, form.AbortSelfTest1};
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i]->isEnabled(), row.enabled[i]) << row.row << " " << i;
    }
  }
  EXPECT_TRUE(messages_.Errors.empty());
  EXPECT_TRUE(
      JournalMessages().contains("Extended self-test started on drive 1: about 90 minutes"));
  EXPECT_TRUE(JournalMessages().contains("Self-test aborted on drive 1"));
  for (const sim::RecordedEvent& event : disks_->Events()) EXPECT_FALSE(event.Woke);
}

// A test already running, or one whose start the drive has not answered
// yet, is never started again: the second start reaches no drive.
TEST_F(HistoryWindowTest, ASecondSelfTestIsRefused) {
  for (const bool ownThread : {false, true}) {
    SCOPED_TRACE(ownThread);
    form_.reset();
    monitor_.reset();
    seriesOnOwnThread_ = ownThread;
    TTessivar_Form& form = Start(DrivesScenario({0}));
    messages_.Errors.clear();
    form.HistoryDrive = 0;
    disks_->ClearEvents();
    form.SelfTestClick(SelfTestAction::Short);
    form.SelfTestClick(SelfTestAction::Short);
    QElapsedTimer waited;
    waited.start();
    while (messages_.Errors.empty() && waited.elapsed() < 5000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_EQ(messages_.Errors.size(), 1u);
    EXPECT_EQ(messages_.Errors[0].rfind(ownThread ? "A self-test is being started on drive 0"
                                                  : "A self-test already runs on drive 0 (",
                                        0),
              0u)
        << messages_.Errors[0];
    while (!JournalMessages().contains("Short self-test started on drive 0: about 2 minutes") &&
           waited.elapsed() < 5000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(SelfTestCommands(), 1u);
  }
}

TEST_F(HistoryWindowTest, TheLogsWindowShowsTheDrivesLogsAndAsksBeforeWakingIt) {
  TTessivar_Form& form =
      Start(DrivesScenario({0}) +
            "self-test-log = extended passed 11800\nself-test-log = short failed 11900 4660\n"
            "error-count = 3\n" +
            DrivesScenario({1}) + "runtime-suspend = always\n" + DrivesScenario({2}) +
            "permission = denied\n");
  OpenMenu(form, 0);
  form.DriveLogs1->trigger();
  form.ShowDriveLogs(0);
  const auto windows = form.findChildren<DriveLogsWindow*>();
  ASSERT_EQ(windows.size(), 1);
  DriveLogsWindow& logs = *windows[0];
  EXPECT_TRUE(logs.isWindow());
  EXPECT_EQ(logs.windowTitle(), QString::fromUtf8("Self-tests and errors \u2014 drive 0, Disk 0"));
  EXPECT_EQ(logs.Now()->text(),
            "Self-test now: none running; the last one: completed: read failure");
  EXPECT_EQ(logs.SelfTestHeading()->text(), "Self-test log (SMART log 06h): 2 tests");
  ASSERT_EQ(logs.SelfTests()->topLevelItemCount(), 2);
  EXPECT_EQ(Cells(*logs.SelfTests(), 0),
            QStringList({"1", "Short offline", "Completed: read failure", "0%", "11900", "4660"}));
  EXPECT_EQ(Cells(*logs.SelfTests(), 1)[1], "Extended offline");
  EXPECT_EQ(logs.ErrorHeading()->text(), "Error log (ATA summary log 01h): 3 errors");
  ASSERT_EQ(logs.Errors()->topLevelItemCount(), 3);
  EXPECT_EQ(Cells(*logs.Errors(), 0)[2], "UNC at LBA 1003");

  DriveLogsWindow* asleep = form.ShowDriveLogs(1);
  EXPECT_EQ(asleep->Status()->text(),
            "Drive 1 is in standby. Reading its logs wakes it. Read now?");
  EXPECT_FALSE(asleep->ReadNowButton()->isHidden());
  EXPECT_TRUE(asleep->SelfTests()->isHidden());
  asleep->ReadNowButton()->click();
  EXPECT_TRUE(asleep->Status()->text().isEmpty());
  EXPECT_EQ(asleep->SelfTestHeading()->text(),
            "Self-test log (SMART log 06h): No self-tests logged");
  EXPECT_EQ(asleep->ErrorHeading()->text(), "Error log (ATA summary log 01h): No errors logged");

  // A drive this user may not open says so, in the window and when asked for a test.
  EXPECT_EQ(form.ShowDriveLogs(2)->Status()->text(),
            "Drive 2 cannot be opened: Permission denied.");
  form.HistoryDrive = 2;
  form.SelfTestClick(SelfTestAction::Short);
  EXPECT_EQ(messages_.Errors,
            std::vector<std::string>({"Drive 2 cannot be opened: Permission denied."}));
}

}  // namespace
}  // namespace halvoric::testing
