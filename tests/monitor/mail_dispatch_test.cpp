// Alert mails on their own thread: a mail server that does not answer holds
// up neither the popup and its countdown nor the checks, and mails do not
// pile up meanwhile.
#include <QCoreApplication>
#include <atomic>
#include <future>
#include <memory>

#include "tests/monitor/monitor_fakes.h"
#include "tests/services/service_fakes.h"
#include "tests/shell/event_wait.h"

namespace halvoric::testing {
namespace {

TEST(MailDispatch, ASlowMailServerHoldsUpNothing) {
  sim::SimulatedDisks disks(
      ScenarioOrFail("[drive 0]\nattribute = 194 value=100 worst=90 raw=0\ntemperature = 70\n"));
  DriveReader drives(disks);
  FakeWindow window;
  window.Watched = {0};
  RecordingJournal journal;
  FakeMailer mail;
  FakeSound sound;
  FakePower power;
  FakeMessages messages;
  Settings settings;
  settings.TempWarn = true;
  settings.PopupNotification = true;
  settings.EmailNotification = true;
  settings.EmailAddr = "ops@example.org";
  HibernationCountdown countdown(window, journal, power);
  MailDispatch dispatch(mail);
  TemperatureWatch watch(window, settings, journal, countdown,
                         {drives, dispatch, mail, sound, messages, messages});

  std::promise<void> answer;
  std::shared_future<void> answered = answer.get_future().share();
  std::atomic<bool> sending = false;
  mail.WhileSending = [answered, &sending] {
    sending = true;
    answered.wait();
  };
  mail.Reply = Failure{"Connection timed out"};
  bool mailPendingAtPopup = false;
  messages.WhileAlertWaits = [&] { mailPendingAtPopup = !dispatch.Idle(); };
  watch.Check();
  EXPECT_EQ(messages.Alerts.size(), 1u);
  EXPECT_TRUE(mailPendingAtPopup);
  EXPECT_FALSE(journal.Has("The alert mail was not sent: Connection timed out"));

  // Checks go on meanwhile; of the mails they raise, only the newest waits.
  ASSERT_TRUE(RunUntil([&] { return sending.load(); }));
  for (int celsius : {71, 72, 73}) {
    disks.Drives().Drives[0].Temperatures = {{0, celsius}};
    watch.Check();
  }
  answer.set_value();
  ASSERT_TRUE(RunUntil([&] { return dispatch.Idle(); }));
  ASSERT_EQ(mail.Sent.size(), 2u);
  EXPECT_EQ(mail.Sent[0].Body, "The current temperature is: 70");
  EXPECT_EQ(mail.Sent[1].Body, "The current temperature is: 73");
  EXPECT_EQ(std::count(journal.Lines.begin(), journal.Lines.end(),
                       "The alert mail was not sent: Connection timed out"),
            2);
  EXPECT_EQ(journal.Lines.back(), "The alert mail was not sent: Connection timed out");
}

}  // namespace
}  // namespace halvoric::testing

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
