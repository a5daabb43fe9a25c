// Sends alert mails one after another on a thread of their own, so that a
// slow or unreachable mail server never holds up the window, the alert
// sound, the popup or the hibernation countdown. Each outcome comes back on
// the thread that made the dispatcher, through its event loop.
#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "services/mailer.h"

namespace halvoric {

// Where the watch hands its alert mails.
class MailQueue {
 public:
  using Done = std::function<void(const Result<>&)>;

  virtual ~MailQueue() = default;
  // Queues `mail`; `done` runs with the outcome once it is known.
  virtual void Send(MailArguments mail, Done done) = 0;
};

class MailDispatch final : public QObject, public MailQueue {
 public:
  static constexpr const char* kReplacedMessage =
      "a newer alert took its place while the mail server was busy";

  explicit MailDispatch(Mailer& mailer);
  // Mails not yet started are dropped; the one being sent is waited for,
  // which the mail library's own time limit bounds.
  ~MailDispatch() override;
  MailDispatch(const MailDispatch&) = delete;
  MailDispatch& operator=(const MailDispatch&) = delete;

  // Queues `mail`; `done` runs later on this object's thread with the
  // outcome. At most one mail waits behind the one being sent: a newer one
  // takes its place, and the older one's `done` is told so at once.
  void Send(MailArguments mail, Done done) override;

  // Every mail sent and its `done` run.
  bool Idle() const { return unfinished_ == 0; }

 private:
  struct Job {
    MailArguments Mail;
    Done Finished;
  };

  void Work();

  Mailer& mailer_;
  int unfinished_ = 0;  // this object's thread only
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool stopping_ = false;
  std::thread worker_;  // last: starts once everything it uses exists
};

}  // namespace halvoric
