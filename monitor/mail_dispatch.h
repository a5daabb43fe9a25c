// SPDX-License-Identifier: GPL-3.0-or-later
// Sends alert mails one after another on a thread of their own, so that a
// slow or unreachable mail server never holds up the window, the alert
// sound, the popup or the hibernation countdown. Each outcome comes back
// through `post` on the thread that gave the mail.
#pragma once

#include <functional>
#include <mutex>
#include <optional>

#include "base/work_thread.h"
#include "services/mailer.h"

namespace halvoric {

// Where the watches hand their alert mails.
class MailQueue {
 public:
  using Done = std::function<void(const Result<>&)>;

  virtual ~MailQueue() = default;
  // Queues `mail`; `done` runs with the outcome once it is known.
  virtual void Send(MailArguments mail, Done done) = 0;
};

class MailDispatch final : public MailQueue {
 public:
  static constexpr const char* kReplacedMessage =
      "a newer alert took its place while the mail server was busy";

  // Mails not yet started when the dispatch goes are dropped; the one being
  // sent is waited for, which the mail library's own time limit bounds.
  MailDispatch(Mailer& mailer, WorkThread::Post post) : mailer_(mailer), thread_(std::move(post)) {}

  // Queues `mail`; `done` runs later on the giving thread with the outcome.
  // At most one mail waits behind the one being sent: a newer one takes its
  // place, and the older one's `done` is told so at once.
  void Send(MailArguments mail, Done done) override;

  // Drops the mails not yet started, waits for the one being sent and runs
  // no `done` after this. Call it before the objects the `done`s reach go.
  void End() { thread_.End(WorkThread::Waiting::Drop); }

  // Every mail sent and its `done` run.
  bool Idle() const { return unfinished_ == 0; }

 private:
  struct Job {
    MailArguments Mail;
    Done Finished;
  };

  Mailer& mailer_;
  int unfinished_ = 0;  // the giving thread only
  std::mutex lock_;
  std::optional<Job> waiting_;  // not yet taken by the thread
  WorkThread thread_;           // last: ends before what its work uses
};

}  // namespace halvoric
