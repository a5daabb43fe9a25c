#include "monitor/mail_dispatch.h"

#include <utility>

namespace halvoric {

MailDispatch::MailDispatch(Mailer& mailer) : mailer_(mailer), worker_([this] { Work(); }) {}

MailDispatch::~MailDispatch() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
    jobs_.clear();
  }
  wake_.notify_one();
  worker_.join();
}

void MailDispatch::Send(MailArguments mail, Done done) {
  Done replaced;
  {
    std::lock_guard<std::mutex> hold(lock_);
    // While a server does not answer, mails would pile up; the newest alert
    // takes the place of one that has not started yet.
    if (!jobs_.empty()) {
      replaced = std::exchange(jobs_.back(), {std::move(mail), std::move(done)}).Finished;
    } else {
      jobs_.push_back({std::move(mail), std::move(done)});
      ++unfinished_;
    }
  }
  wake_.notify_one();
  if (replaced) replaced(Failure{kReplacedMessage});
}

void MailDispatch::Work() {
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> hold(lock_);
      wake_.wait(hold, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    const Result<> outcome = mailer_.Send(job.Mail);
    // Queued to this object's thread; dropped with the object if it is gone
    // by then.
    QMetaObject::invokeMethod(
        this,
        [this, finished = std::move(job.Finished), outcome] {
          --unfinished_;
          if (finished) finished(outcome);
        },
        Qt::QueuedConnection);
  }
}

}  // namespace halvoric
