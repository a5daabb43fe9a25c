// SPDX-License-Identifier: GPL-3.0-or-later
// The requests to end the program that arrive as signals: SIGTERM when the
// desktop session ends or the machine shuts down, SIGHUP, SIGINT. The
// handler only notes the request; it is carried out on the event loop,
// where the program can end in order and keep its settings.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <memory>

namespace halvoric {

class TerminationSignals : public QObject {
 public:
  // One at a time: the signal handler writes to this object's pipe.
  explicit TerminationSignals(std::function<void()> onRequest);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 private:
  static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

  void Drain();

  std::function<void()> onRequest_;
  int pipe_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
  struct sigaction previous_[std::size(kSignals)] = {};
};

}  // namespace halvoric
