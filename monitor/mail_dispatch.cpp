// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/mail_dispatch.h"

#include <memory>
#include <utility>

namespace halvoric {

void MailDispatch::Send(MailArguments mail, Done done) {
  Done replaced;
  {
    const std::lock_guard hold(lock_);
    // While a server does not answer, mails would pile up; the newest alert
    // takes the place of one that has not started yet.
    if (waiting_) {
      replaced = std::exchange(waiting_->Finished, std::move(done));
      waiting_->Mail = std::move(mail);
    } else {
      waiting_ = Job{std::move(mail), std::move(done)};
    }
  }
  if (replaced) {
    replaced(Failure{kReplacedMessage});
    return;
  }
  ++unfinished_;
  // Whichever mail waits when the thread gets to it is the one sent.
  auto taken = std::make_shared<Job>();
  auto outcome = std::make_shared<Result<>>(Result<>::Done());
  thread_.Run(
      [this, taken, outcome] {
        {
          const std::lock_guard hold(lock_);
          *taken = std::move(*waiting_);
          waiting_.reset();
        }
        *outcome = mailer_.Send(taken->Mail);
        return true;
      },
      [this, taken, outcome] {
        --unfinished_;
        if (taken->Finished) taken->Finished(*outcome);
      });
}

}  // namespace halvoric
