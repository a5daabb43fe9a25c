// SPDX-License-Identifier: GPL-3.0-or-later
// A helper that stops answering is ended, and the series fails in time
// instead of holding the program up for good.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "disks/helper_disk_control.h"
#include "drive/channel.h"

namespace halvoric {
namespace {

using namespace std::chrono_literals;

// Answers the open like the real helper, then stays silent.
constexpr const char* kSilentAfterOpen =
    "import os, struct, sys, time\n"
    "os.read(0, 48)\n"
    "os.write(1, struct.pack('<IIII', 0x31525648, 0, 0, 0) + bytes(528))\n"
    "os.read(0, 48)\n"
    "time.sleep(30)\n";

TEST(HelperTimeout, AHelperThatStopsAnsweringIsEndedAndTheSeriesFails) {
  const struct {
    const char* name;
    std::vector<std::string> command;
    bool opens;
  } cases[] = {
      {"silent at the open", {"/bin/sh", "-c", "exec sleep 30"}, false},
      {"silent at a request", {"/usr/bin/python3", "-c", kSilentAfterOpen}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    {
      HelperDiskControl helper(c.command, 200ms);
      const auto started = std::chrono::steady_clock::now();
      const OpenResult opened = helper.Open(DevicePath(0));
      ASSERT_EQ(opened.Ok(), c.opens) << opened.Message;
      if (opened.Ok()) {
        VersionAnswer answer{};
        EXPECT_FALSE(
            helper.Control(*opened, SMART_GET_VERSION, nullptr, 0, &answer, sizeof answer));
        // Ended already: the next request fails at once.
        EXPECT_FALSE(
            helper.Control(*opened, SMART_GET_VERSION, nullptr, 0, &answer, sizeof answer));
        helper.Close(*opened);
      }
      // The program was not held up waiting for the helper to go.
      EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
      std::this_thread::sleep_for(200ms);  // time for the killed helper to die
    }
    // Waited for once it had gone: no child is left, not even a zombie.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
  }
}

}  // namespace
}  // namespace halvoric
