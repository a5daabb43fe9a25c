// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace halvoric {
namespace {

// Written by the signal handler, which may do little more than write(2).
volatile std::sig_atomic_t writeEnd = -1;

void NoteRequest(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a request; nothing is lost by dropping this one.
  [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onRequest)
    : onRequest_(std::move(onRequest)) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  writeEnd = pipe_[1];
  notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
  struct sigaction action = {};
  action.sa_handler = NoteRequest;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    ::sigaction(kSignals[i], &action, &previous_[i]);
  }
}

TerminationSignals::~TerminationSignals() {
  if (pipe_[0] < 0) return;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    ::sigaction(kSignals[i], &previous_[i], nullptr);
  }
  writeEnd = -1;
  notifier_.reset();
  ::close(pipe_[0]);
  ::close(pipe_[1]);
}

void TerminationSignals::Drain() {
  char bytes[16];
  while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
  }
  if (onRequest_) onRequest_();
}

}  // namespace halvoric
