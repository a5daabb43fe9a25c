// SPDX-License-Identifier: GPL-3.0-or-later
// Alert mails on their own thread: a mail server that does not answer holds
// up neither the popup and its countdown nor the checks, and mails do not
// pile up meanwhile.
#include <QCoreApplication>
#include <atomic>
#include <future>
#include <memory>
#include <set>

#include "desktop/mail_loader.h"
#include "tests/base/temp_files.h"
#include "tests/desktop/child_process.h"
#include "tests/monitor/monitor_fakes.h"
#include "tests/services/service_fakes.h"
#include "tests/shell/event_wait.h"

namespace halvoric::testing {
namespace {

// Outcomes come back through the test's event loop, as through the window's.
void PostToLoop(std::function<void()> task) {
  QMetaObject::invokeMethod(qApp, std::move(task), Qt::QueuedConnection);
}

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
  FakeMailer mail;
  WatchRig rig;
  rig.Values.PopupNotification = true;
  MailDispatch dispatch(mail, PostToLoop);
  TemperatureWatch watch = rig.Watch(drives, dispatch, mail);
  SlowServer server(mail);
  mail.Reply = Failure{"Connection timed out"};
  bool mailPendingAtPopup = false;
  rig.Messages.WhileAlertWaits = [&] { mailPendingAtPopup = !dispatch.Idle(); };
  watch.Check();
  EXPECT_EQ(rig.Messages.Alerts.size(), 1u);
  EXPECT_TRUE(mailPendingAtPopup);
  ASSERT_TRUE(RunUntil([&] { return server.Sending(); }));
  disks.Drives().Drives[0].Temperatures = {{0, 75}};
  watch.Check();  // checks go on while the mail hangs
  EXPECT_EQ(rig.Messages.Alerts.size(), 2u);
  EXPECT_FALSE(rig.Journal.Has("The alert mail was not sent: Connection timed out"));

  server.Answer();
  ASSERT_TRUE(RunUntil([&] { return dispatch.Idle(); }));
  EXPECT_EQ(rig.Journal.Lines.back(), "The alert mail was not sent: Connection timed out");
}

// Of the mails queued behind a hanging one, only the newest waits, and the
// one it replaced says so instead of vanishing.
TEST(MailDispatch, AReplacedMailIsReportedAndTheNewestIsSent) {
  FakeMailer mail;
  MailDispatch dispatch(mail, PostToLoop);
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

// Three drives hot while the server hangs on the first one's mail: the two
// behind it take each other's place in the queue at every tick, and each is
// still mailed once the server answers, said once as replaced meanwhile.
TEST(MailDispatch, AMailReplacedInTheQueueIsSentAtALaterTick) {
  sim::SimulatedDisks disks(
      ScenarioOrFail("[drive 0]\nattribute = 194 value=100 raw=0\ntemperature = 70\n"
                     "[drive 1]\nattribute = 194 value=100 raw=0\ntemperature = 71\n"
                     "[drive 2]\nattribute = 194 value=100 raw=0\ntemperature = 72\n"));
  DriveReader drives(disks);
  FakeMailer mail;
  WatchRig rig;
  rig.Window.Watched = {0, 1, 2};
  MailDispatch dispatch(mail, PostToLoop);
  TemperatureWatch watch = rig.Watch(drives, dispatch, mail);
  SlowServer server(mail);
  watch.Check();
  ASSERT_TRUE(RunUntil([&] { return server.Sending(); }));
  watch.Check();
  watch.Check();
  server.Answer();
  ASSERT_TRUE(RunUntil([&] { return dispatch.Idle(); }));
  for (int tick = 0; tick < 2; ++tick) {
    watch.Check();
    ASSERT_TRUE(RunUntil([&] { return dispatch.Idle(); }));
  }
  std::multiset<std::string> bodies;
  for (const MailArguments& sent : mail.Sent) bodies.insert(sent.Body);
  EXPECT_EQ(bodies, (std::multiset<std::string>{"The current temperature is: 70",
                                                "The current temperature is: 71",
                                                "The current temperature is: 72"}));
  const std::string replaced =
      std::string("The alert mail was not sent: ") + MailDispatch::kReplacedMessage;
  EXPECT_EQ(std::count(rig.Journal.Lines.begin(), rig.Journal.Lines.end(), replaced), 2);
}

// The watch, the mail thread and the real mail library against a real SMTP
// server on loopback: a drive hot for an hour gives one mail and one
// reminder, whatever the number of checks.
TEST(MailDispatch, AnHourHotReachesTheServerAsOneMailAndOneReminder) {
  TempDir dir;
  ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
  std::unique_ptr<ChildProcess> server;
  int port = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    port = FreeLoopbackPort();
    server = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/python3", "-m", "aiosmtpd", "-n", "-l",
                                 "127.0.0.1:" + std::to_string(port), "-c",
                                 "aiosmtpd.handlers.Mailbox", dir.File("maildir")},
        std::vector<std::string>{}, dir.File("server.log"));
    if (WaitUntil([&] { return !server->Running() || CanConnectTcp(port); }) && server->Running()) {
      break;
    }
  }
  ASSERT_TRUE(server->Running() && CanConnectTcp(port)) << ReadFile(dir.File("server.log"));
  std::filesystem::create_directories(dir.Path() / "config" / "halvoric");
  WriteFile(dir.File("config/halvoric/mail.conf"),
            "url=smtp://127.0.0.1:" + std::to_string(port) + "\ntimeout=10\n");

  sim::SimulatedDisks disks(
      ScenarioOrFail("[drive 0]\nattribute = 194 value=100 worst=90 raw=0\ntemperature = 70\n"));
  DriveReader drives(disks);
  // Loaded by the dispatch's thread at the first alert, as in the program.
  const std::unique_ptr<Mailer> mailer = LoadMailerAtFirstSend(HALVORIC_MAIL_LIBRARY);
  WatchRig rig;
  MailDispatch dispatch(*mailer, PostToLoop);
  TemperatureWatch watch = rig.Watch(drives, dispatch, *mailer);
  for (int check = 0; check <= 120; ++check) {  // every 30 seconds for an hour
    watch.Check();
    ASSERT_TRUE(RunUntil([&] { return dispatch.Idle(); }));
    rig.Time.Advance(std::chrono::seconds(30));
  }
  std::vector<std::string> delivered;
  std::error_code none;
  for (const auto& entry :
       std::filesystem::directory_iterator(dir.Path() / "maildir" / "new", none)) {
    delivered.push_back(ReadFile(entry.path()));
  }
  ASSERT_EQ(delivered.size(), 2u) << ReadFile(dir.File("server.log"));
  for (const std::string& mail : delivered) {
    EXPECT_NE(mail.find("Subject: Halvoric Alert!"), std::string::npos) << mail;
    EXPECT_NE(mail.find("The current temperature is: 70"), std::string::npos) << mail;
  }
  EXPECT_FALSE(std::any_of(
      rig.Journal.Lines.begin(), rig.Journal.Lines.end(),
      [](const std::string& l) { return l.rfind("The alert mail was not sent", 0) == 0; }));
}

}  // namespace
}  // namespace halvoric::testing

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
