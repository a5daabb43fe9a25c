// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/termination_signals.h"

#include <gtest/gtest.h>

#include "tests/shell/tray_fakes.h"

namespace halvoric {
namespace {

using testing::RunUntil;

// Each signal a session end or a terminal sends reaches the event loop as a
// request, and the signal's earlier disposition comes back afterwards.
TEST(TerminationSignals, EachSignalBecomesARequestOnTheEventLoop) {
  struct sigaction before = {};
  ::sigaction(SIGTERM, nullptr, &before);
  {
    int requests = 0;
    TerminationSignals termination([&] { ++requests; });
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
      const int expected = requests + 1;
      ASSERT_EQ(::raise(signal), 0);
      EXPECT_TRUE(RunUntil([&] { return requests == expected; })) << signal;
    }
  }
  struct sigaction after = {};
  ::sigaction(SIGTERM, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace halvoric
