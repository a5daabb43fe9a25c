#include <QApplication>
#include <atomic>
#include <filesystem>
#include <future>

#include "form_fixture.h"

namespace halvoric::testing {
namespace {

// Drive 0 at `celsius`, with alerts configured by `config` (settings XML).
class WatchTest : public FormTest {
 protected:
  TTessivar_Form& StartHot(int celsius, const std::string& config) {
    WriteFile("config.xml", "<Tessivar>" + config + "</Tessivar>");
    TTessivar_Form& form =
        Start("[drive 0]\nmodel = Hot\nattribute = 194 value=100 worst=90 raw=0\ntemperature = " +
              std::to_string(celsius) + "\n");
    journalBefore_ = JournalMessages().size();
    return form;
  }
  void SetTemperature(int celsius) { disks_->Drives().Drives[0].Temperatures = {{0, celsius}}; }
  // One check, and the alert mails it sent on their way and answered.
  void Tick(TTessivar_Form& form) {
    form.CheckTemp_TimerTimer();
    ASSERT_TRUE(RunUntil([&] { return form.AlertMails.Idle(); }));
  }
  QStringList NewJournal() const { return JournalMessages().mid(journalBefore_); }

  static constexpr const char* kMailAndSound =
      "<TempWarn>-1</TempWarn><EmailNotification>-1</EmailNotification>"
      "<EmailAddr>ops@example.org</EmailAddr><PlaySound>-1</PlaySound>"
      "<SoundPath>alert sound.wav</SoundPath>";

  int journalBefore_ = 0;
};

TEST_F(WatchTest, MailAndSoundFireOnlyAboveTheCriticalTemperature) {
  struct Case {
    int celsius;
    bool fires;
  } cases[] = {{50, false}, {51, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.celsius);
    TTessivar_Form& form = StartHot(c.celsius, std::string(kMailAndSound) + "<Temp>50</Temp>");
    WriteFile("alert sound.wav", "RIFF");
    mail_.Sent.clear();
    sound_.Played.clear();
    Tick(form);
    Tick(form);  // not throttled: every tick while hot
    EXPECT_EQ(mail_.Sent.size(), c.fires ? 2u : 0u);
    EXPECT_EQ(sound_.Played.size(), c.fires ? 2u : 0u);
    if (c.fires) {
      EXPECT_EQ(NewJournal().front(), "SEND email to : ops@example.org");
      EXPECT_EQ(mail_.Sent[0].Recipient, "ops@example.org");
      EXPECT_EQ(mail_.Sent[0].Subject, "Halvoric Alert!");
      EXPECT_EQ(mail_.Sent[0].Body, "The current temperature is: 51");
      EXPECT_EQ(mail_.Sent[0].Argument9, 1000);
      EXPECT_EQ(sound_.Played[0], "alert sound.wav");
    }
    EXPECT_TRUE(messages_.Alerts.empty());
    EXPECT_TRUE(form.CheckTemp_Timer->isActive());
  }
}

TEST_F(WatchTest, ChannelsThatCannotFireStayQuiet) {
  // Blank address, missing sound file, failing mail, no temperature at all.
  TTessivar_Form& form = StartHot(60,
                                  "<TempWarn>-1</TempWarn><EmailNotification>-1</EmailNotification>"
                                  "<EmailAddr>  </EmailAddr><PlaySound>-1</PlaySound>"
                                  "<SoundPath>missing.wav</SoundPath>");
  Tick(form);
  EXPECT_TRUE(mail_.Sent.empty());
  EXPECT_TRUE(sound_.Played.empty());
  EXPECT_TRUE(NewJournal().empty());
  form.MailTest_ButtonClick();
  EXPECT_TRUE(mail_.Sent.empty());

  std::filesystem::create_directory(File("sounds"));  // a folder is no sound file
  form.Settings.SoundPath = File("sounds");
  Tick(form);
  EXPECT_TRUE(sound_.Played.empty());
  EXPECT_TRUE(NewJournal().empty());

  form.Settings.EmailAddr = "ops@example.org";
  mail_.Reply = Failure{"Connection refused"};
  Tick(form);
  EXPECT_EQ(NewJournal(), QStringList({"SEND email to : ops@example.org",
                                       "The alert mail was not sent: Connection refused"}));

  disks_->Drives().Drives[0].Temperatures.clear();
  disks_->Drives().Drives[0].Attributes[0].Id = 231;  // a drive without temperature
  mail_.Sent.clear();
  Tick(form);
  EXPECT_TRUE(mail_.Sent.empty());
}

// A mail server that does not answer must not hold up the popup and its
// hibernation countdown, nor freeze the window, nor pile up mails meanwhile.
TEST_F(WatchTest, ASlowMailServerHoldsUpNothing) {
  TTessivar_Form& form =
      StartHot(70, std::string(kMailAndSound) + "<PopupNotification>-1</PopupNotification>");
  std::promise<void> answer;
  std::shared_future<void> answered = answer.get_future().share();
  std::atomic<bool> sending = false;
  mail_.WhileSending = [answered, &sending] {
    sending = true;
    answered.wait();
  };
  mail_.Reply = Failure{"Connection timed out"};
  bool mailPendingAtPopup = false;
  messages_.WhileAlertWaits = [&] { mailPendingAtPopup = !form.AlertMails.Idle(); };
  form.CheckTemp_TimerTimer();
  EXPECT_EQ(messages_.Alerts.size(), 1u);
  EXPECT_TRUE(mailPendingAtPopup);
  EXPECT_FALSE(NewJournal().contains("The alert mail was not sent: Connection timed out"));

  // Checks go on meanwhile; of the mails they raise, only the newest waits.
  ASSERT_TRUE(RunUntil([&] { return sending.load(); }));
  for (int celsius : {71, 72, 73}) {
    SetTemperature(celsius);
    form.CheckTemp_TimerTimer();
  }
  answer.set_value();
  ASSERT_TRUE(RunUntil([&] { return form.AlertMails.Idle(); }));
  ASSERT_EQ(mail_.Sent.size(), 2u);
  EXPECT_EQ(mail_.Sent[0].Body, "The current temperature is: 70");
  EXPECT_EQ(mail_.Sent[1].Body, "The current temperature is: 73");
  EXPECT_EQ(NewJournal().filter("The alert mail was not sent").size(), 2);
  EXPECT_EQ(NewJournal().back(), "The alert mail was not sent: Connection timed out");
}

TEST_F(WatchTest, PopupRaisesTheCriticalTemperatureToTheDrivesTemperature) {
  TTessivar_Form& form =
      StartHot(52, "<TempWarn>-1</TempWarn><PopupNotification>-1</PopupNotification>");
  bool timerStoppedWhileWaiting = false;
  messages_.WhileAlertWaits = [&] { timerStoppedWhileWaiting = !form.CheckTemp_Timer->isActive(); };
  form.CheckTemp_TimerTimer();
  EXPECT_EQ(NewJournal(), QStringList({"Temperature is over maximum: 52 > 50",
                                       "USER cancelled the HIBERNATE action !",
                                       "CHANGED the alert temperature to: 52\u00B0"}));
  EXPECT_TRUE(timerStoppedWhileWaiting);
  EXPECT_EQ(messages_.Alerts.size(), 1u);
  EXPECT_EQ(form.Settings.CritTempValue, 52);
  EXPECT_EQ(form.Settings.Temp, "52");
  EXPECT_EQ(form.CritTemp_Edit->text(), "52");
  EXPECT_FALSE(form.Hibernate_Timer->isActive());  // hibernation is off
  EXPECT_TRUE(form.CheckTemp_Timer->isActive());

  form.CheckTemp_TimerTimer();  // still 52: no second popup
  EXPECT_EQ(messages_.Alerts.size(), 1u);
  SetTemperature(53);
  form.CheckTemp_TimerTimer();
  EXPECT_EQ(messages_.Alerts.size(), 2u);
}

// The popup's wait runs the event loop, and the user may switch the warning
// off and on meanwhile; the check that the restart brings must not alert the
// same drive again, nor move the countdown the first alert started.
TEST_F(WatchTest, NoCheckRunsWhileAPopupAlertWaits) {
  TTessivar_Form& form = StartHot(70,
                                  "<TempWarn>-1</TempWarn><Hibernation>-1</"
                                  "Hibernation><PopupNotification>-1</PopupNotification>");
  messages_.WhileAlertWaits = [&] {
    form.Hibernate_TimerTimer();
    form.TempWarn_CheckBox->setChecked(false);
    form.TempWarn_CheckBox->setChecked(true);
    form.CheckTemp_TimerTimer();  // the tick the restart brings
    EXPECT_EQ(form.HibernateCountdown(), 59);
    EXPECT_TRUE(form.Hibernate_Timer->isActive());
  };
  form.CheckTemp_TimerTimer();
  EXPECT_EQ(messages_.Alerts.size(), 1u);
  EXPECT_TRUE(form.CheckTemp_Timer->isActive());  // the answer restarted the watch
  EXPECT_EQ(form.Settings.CritTempValue, 70);
}

TEST_F(WatchTest, HibernationCountsDownOnlyWithThePopupOn) {
  TTessivar_Form& withoutPopup =
      StartHot(70, "<TempWarn>-1</TempWarn><Hibernation>-1</Hibernation>");
  withoutPopup.CheckTemp_TimerTimer();
  EXPECT_FALSE(withoutPopup.Hibernate_Timer->isActive());
  EXPECT_EQ(withoutPopup.windowTitle(), "Halvoric");
  EXPECT_EQ(power_.Requests, 0);
}

TEST_F(WatchTest, DismissingTheAlertStopsTheCountdown) {
  TTessivar_Form& form = StartHot(70,
                                  "<TempWarn>-1</TempWarn><Hibernation>-1</"
                                  "Hibernation><PopupNotification>-1</PopupNotification>");
  QString captionAt12;
  messages_.WhileAlertWaits = [&] {
    EXPECT_TRUE(form.Hibernate_Timer->isActive());
    for (int tick = 0; tick < 48; ++tick) form.Hibernate_TimerTimer();
    captionAt12 = form.windowTitle();
  };
  form.CheckTemp_TimerTimer();
  EXPECT_EQ(captionAt12, "Hibernate on 12s");
  EXPECT_EQ(form.HibernateCountdown(), 12);
  EXPECT_FALSE(form.Hibernate_Timer->isActive());
  EXPECT_EQ(form.windowTitle(), "Halvoric");
  EXPECT_FALSE(NewJournal().contains("Halvoric was Hibernated"));
  EXPECT_EQ(power_.Requests, 0);
}

TEST_F(WatchTest, CountdownRunningOutHibernatesOnce) {
  for (bool refused : {false, true}) {
    SCOPED_TRACE(refused);
    TTessivar_Form& form = StartHot(70,
                                    "<TempWarn>-1</TempWarn><Hibernation>-1</"
                                    "Hibernation><PopupNotification>-1</PopupNotification>");
    power_.Requests = 0;
    power_.Reply = refused ? Result<>(Failure{"not supported"}) : Result<>::Done();
    log_.Records.clear();
    QStringList atZero;
    messages_.WhileAlertWaits = [&] {
      for (int tick = 0; tick < 60; ++tick) form.Hibernate_TimerTimer();
      atZero = NewJournal();
      EXPECT_EQ(form.windowTitle(), "Hibernate on 0s");
    };
    form.CheckTemp_TimerTimer();
    EXPECT_EQ(power_.Requests, 1);
    ASSERT_GE(atZero.size(), 2);
    EXPECT_EQ(atZero[1], "Halvoric was Hibernated");
    EXPECT_EQ(atZero.size(), refused ? 3 : 2);
    if (refused) {
      EXPECT_EQ(atZero[2], "Hibernation was refused: not supported");
    }
    ASSERT_FALSE(log_.Records.empty());
    EXPECT_NE(std::find(log_.Records.begin(), log_.Records.end(), "Halvoric was Hibernated"),
              log_.Records.end());
  }
}

TEST_F(WatchTest, ClearedRowsAreNeverRead) {
  WriteFile("config.xml", std::string("<Tessivar>") + kMailAndSound + "</Tessivar>");
  TTessivar_Form& form = Start(DrivesScenario({0, 1}));
  form.HDDs_ListView->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
  disks_->ClearEvents();
  Tick(form);
  for (const auto& event : disks_->Events()) {
    if (event.What == sim::RecordedEvent::Kind::Open) {
      EXPECT_EQ(event.Path, "\\\\.\\PhysicalDrive0");
    }
  }
  EXPECT_FALSE(disks_->Events().empty());
}

TEST_F(WatchTest, TestMailReportsWhatHappened) {
  TTessivar_Form& form = StartHot(45, "<EmailAddr>ops@example.org</EmailAddr>");
  form.MailTest_ButtonClick();
  ASSERT_EQ(mail_.Sent.size(), 1u);
  EXPECT_EQ(mail_.Sent[0].Body, "The current temperature is: 45\u00B0C");
  EXPECT_EQ(messages_.Errors,
            std::vector<std::string>{"The Alert! Message was sent to: ops@example.org"});

  mail_.Reply = Failure{"Couldn't connect to server"};
  form.MailTest_ButtonClick();
  EXPECT_EQ(messages_.Errors.back(), "Couldn't connect to server");
  EXPECT_TRUE(NewJournal().empty());  // the test mail is not journalled
}

}  // namespace
}  // namespace halvoric::testing
