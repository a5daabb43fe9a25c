// SPDX-License-Identifier: GPL-3.0-or-later
// The watch as the window shows it: ticked rows only, the popup's countdown
// in the caption, the raised critical temperature in its field, the rows
// following each check, and a warning acknowledged from the row's menu.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "form_fixture.h"

namespace halvoric::testing {
namespace {

TEST_F(FormTest, WatchReadsTickedRowsAndShowsThePopupsOutcome) {
  WriteFile("config.xml",
            "<Tessivar><Hibernation>-1</Hibernation><TempWarn>-1</TempWarn><Temp>30</Temp>"
            "<PopupNotification>-1</PopupNotification></Tessivar>");
  TTessivar_Form& form = Start(DrivesScenario({0, 1}));
  form.HDDs_ListView->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
  disks_->ClearEvents();
  QString caption;
  messages_.WhileAlertWaits = [&] {
    EXPECT_TRUE(form.Hibernate_Timer->isActive());
    EXPECT_FALSE(form.CheckTemp_Timer->isActive());
    form.Hibernate_Timer->timeout({});
    caption = form.windowTitle();
  };
  form.CheckTemp_TimerTimer();
  ASSERT_EQ(messages_.Alerts.size(), 1u);
  EXPECT_EQ(caption, "Hibernate on 59s");
  EXPECT_EQ(form.HibernateCountdown(), 59);
  EXPECT_EQ(form.windowTitle(), "Halvoric");
  EXPECT_FALSE(form.Hibernate_Timer->isActive());
  EXPECT_TRUE(form.CheckTemp_Timer->isActive());
  form.MakePreferencesPage();
  EXPECT_EQ(form.CritTemp_Edit->text(), "40");
  EXPECT_EQ(form.Settings.Temp, "40");
  for (const auto& event : disks_->Events()) {
    if (event.What == sim::RecordedEvent::Kind::Open) {
      EXPECT_EQ(event.Path, "\\\\.\\PhysicalDrive1");
    }
  }
}

// After each check the rows show that check's temperature and verdict, the
// reasons as their tooltip. A WARN acknowledged from the row's menu reads
// OK, after a restart too, until the count behind it changes.
TEST_F(FormTest, RowsFollowTheWatchAndAnAcknowledgedWarningHoldsUntilItsCountChanges) {
  WriteFile("config.xml", "<Tessivar><TempWarn>-1</TempWarn><HealthWarn>0</HealthWarn></Tessivar>");
  const std::string scenario =
      "[drive 0]\nmodel = Worn\nserial = W1\nattribute = 5 threshold=10 raw=8\n"
      "attribute = 194 raw=40\n";
  const auto row = [this](bool openMenu = false) {
    QTreeWidget& list = *form_->HDDs_ListView;
    QTreeWidgetItem* item = list.topLevelItem(0);
    if (openMenu) form_->HDDs_ListViewContextPopup(list.visualItemRect(item).center());
    return QStringList{item->text(2), item->text(3), item->toolTip(1),
                       openMenu && form_->AcknowledgeWarning1->isVisible() ? "offered" : ""};
  };
  TTessivar_Form& form = Start(scenario);
  disks_->Drives().Drives[0].Attributes[1].Raw = 52;
  form.CheckTemp_TimerTimer();
  EXPECT_EQ(row(true), (QStringList{"52\u00B0C", "WARN", "8 reallocated sectors", "offered"}));
  form.AcknowledgeWarning1->trigger();
  const QString acknowledged = "8 reallocated sectors\nwarning acknowledged";
  EXPECT_TRUE(JournalMessages().contains(
      "WARNING of drive 0 (Worn, serial W1) acknowledged: 8 reallocated sectors"));
  form.CheckTemp_TimerTimer();
  EXPECT_EQ(row(true), (QStringList{"52\u00B0C", "OK", acknowledged, ""}));

  form_.reset();
  monitor_.reset();
  Start(scenario);
  EXPECT_EQ(row(), (QStringList{"40\u00B0C", "OK", acknowledged, ""}));
  disks_->Drives().Drives[0].Attributes[0].Raw = 9;
  form_->CheckTemp_TimerTimer();
  EXPECT_EQ(row(), (QStringList{"40\u00B0C", "WARN", "9 reallocated sectors", ""}));
}

// A drive that stops answering once the window is up: while its series runs
// out its deadline, the window's event loop keeps turning and the drive
// after it is still checked and alerted; the journal says once why the
// slow drive reads as not answering, below the lines of the drive read
// before it.
TEST_F(FormTest, ADriveThatDoesNotAnswerHoldsUpNeitherTheWindowNorTheOtherDrives) {
  WriteFile("bell.wav", "RIFF");
  WriteFile("config.xml",
            "<Tessivar><TempWarn>-1</TempWarn><Temp>30</Temp><PlaySound>-1</PlaySound>"
            "<SoundPath>" +
                File("bell.wav") +
                "</SoundPath>"
                "<EmailNotification>-1</EmailNotification>"
                "<EmailAddr>ops@example.org</EmailAddr>"
                "<HealthWarn>0</HealthWarn></Tessivar>");
  seriesOnOwnThread_ = true;
  TTessivar_Form& form = Start(DrivesScenario({0, 2}) +
                               "[drive 1]\nmodel = Stuck\n"
                               "delay-ms = 60000 from 3\n");
  ASSERT_EQ(form.DriveCount(), 3);
  QElapsedTimer sinceStart;
  sinceStart.start();
  // The scan ran before the drive got stuck.
  while (sinceStart.elapsed() < 3500) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

  QElapsedTimer sinceTurn;
  qint64 longestStall = 0;
  QTimer turns;
  QObject::connect(&turns, &QTimer::timeout,
                   [&] { longestStall = std::max(longestStall, sinceTurn.restart()); });
  turns.start(5);
  sinceTurn.start();
  form.CheckTemp_TimerTimer();
  QElapsedTimer waited;
  waited.start();
  while (!form.CheckTemp_Timer->isActive() && waited.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  turns.stop();
  ASSERT_TRUE(form.CheckTemp_Timer->isActive()) << "the tick never ended";
  // Waiting on the stuck drive would stall the loop for its whole 10 s
  // deadline; a bound far below that, and far above what a busy machine or
  // the sanitizers add to one turn, tells the two apart.
  EXPECT_LT(longestStall, 2000);
  // Drives 0 and 2 are hot; the sound is an alarm at the desk, one per drive.
  EXPECT_EQ(sound_.Played.size(), 2u);
  QCoreApplication::processEvents();
  const QStringList journal = JournalMessages();
  const QString slow = "Drive 1 did not answer within 10 seconds and reads as not answering";
  EXPECT_EQ(journal.count(slow), 1);
  EXPECT_LT(journal.indexOf("SEND email to : ops@example.org"), journal.indexOf(slow));
}

}  // namespace
}  // namespace halvoric::testing
