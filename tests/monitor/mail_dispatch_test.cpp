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

// A mail server that blocks until the test lets it answer.
class SlowServer {
 public:
  explicit SlowServer(FakeMailer& mail) {
    mail.WhileSending = [answered = answered_, this] {
      sending_ = true;
      answered.wait();
    };
  }
  bool Sending() const { return sending_.load(); }
  void Answer() { answer_.set_value(); }

 private:
  std::promise<void> answer_;
  std::shared_future<void> answered_ = answer_.get_future().share();
  std::atomic<bool> sending_ = false;
};

TEST(MailDispatch, ASlowMailServerHoldsUpNeitherThePopupNorTheChecks) {
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
  FakeClock clock;
  Settings settings;
  settings.TempWarn = true;
  settings.PopupNotification = true;
  settings.EmailNotification = true;
  settings.EmailAddr = "ops@example.org";
  HibernationCountdown countdown(window, journal, power);
  MailDispatch dispatch(mail);
  TemperatureWatch watch(window, settings, journal, countdown,
                         {drives, dispatch, mail, sound, messages, messages, clock});
  SlowServer server(mail);
  mail.Reply = Failure{"Connection timed out"};
  bool mailPendingAtPopup = false;
  messages.WhileAlertWaits = [&] { mailPendingAtPopup = !dispatch.Idle(); };
  watch.Check();
  EXPECT_EQ(messages.Alerts.size(), 1u);
  EXPECT_TRUE(mailPendingAtPopup);
  ASSERT_TRUE(RunUntil([&] { return server.Sending(); }));
  disks.Drives().Drives[0].Temperatures = {{0, 75}};
  watch.Check();  // checks go on while the mail hangs
  EXPECT_EQ(messages.Alerts.size(), 2u);
  EXPECT_FALSE(journal.Has("The alert mail was not sent: Connection timed out"));

  server.Answer();
  ASSERT_TRUE(RunUntil([&] { return dispatch.Idle(); }));
  EXPECT_EQ(journal.Lines.back(), "The alert mail was not sent: Connection timed out");
}

// Of the mails queued behind a hanging one, only the newest waits, and the
// one it replaced says so instead of vanishing.
TEST(MailDispatch, AReplacedMailIsReportedAndTheNewestIsSent) {
  FakeMailer mail;
  MailDispatch dispatch(mail);
  SlowServer server(mail);
  std::vector<std::string> outcomes;
  const auto send = [&](const std::string& body) {
    MailArguments arguments;
    arguments.Body = body;
    dispatch.Send(arguments, [&outcomes, body](const Result<>& sent) {
      outcomes.push_back(body + ": " + (sent.Ok() ? "sent" : sent.Message));
    });
  };
  send("first");
  ASSERT_TRUE(RunUntil([&] { return server.Sending(); }));
  send("second");
  send("third");
  EXPECT_EQ(outcomes,
            std::vector<std::string>{std::string("second: ") + MailDispatch::kReplacedMessage});
  server.Answer();
  ASSERT_TRUE(RunUntil([&] { return dispatch.Idle(); }));
  ASSERT_EQ(mail.Sent.size(), 2u);
  EXPECT_EQ(mail.Sent[1].Body, "third");
  EXPECT_EQ(outcomes.size(), 3u);
}

}  // namespace
}  // namespace halvoric::testing

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
