// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting in tests for what the event loop delivers.
#pragma once

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace halvoric::testing {

// Runs the event loop until `done` holds or a generous deadline passes. The
// events are always handled at least once, also after the deadline, so a
// test thread that was not scheduled for a while still sees what was due.
template <typename Done>
bool RunUntil(Done done, int timeoutMs = 5000) {
  const QDeadlineTimer deadline(timeoutMs);
  do {
    // Sleeps until an event comes, a few milliseconds at most, without
    // spinning a core that a parallel test or a worker thread needs.
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
    if (done()) return true;
  } while (!deadline.hasExpired());
  return done();
}

// Lets the event loop run for `ms` milliseconds, e.g. to show that nothing
// more happens.
inline void RunFor(int ms) {
  RunUntil([] { return false; }, ms);
}

}  // namespace halvoric::testing
