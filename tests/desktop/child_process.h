// SPDX-License-Identifier: GPL-3.0-or-later
// Programs a test starts as real counterparts (an SMTP server, a bus, a D-Bus
// mock), each stopped by its own PID when the test ends.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace halvoric::testing {

class ChildProcess {
 public:
  // `argv[0]` is an absolute path; `extraEnvironment` holds NAME=value
  // entries added to the test's own; output goes to `outputFile`.
  ChildProcess(const std::vector<std::string>& argv,
               const std::vector<std::string>& extraEnvironment = {},
               const std::string& outputFile = "/dev/null");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // Whether it was started and has not ended yet; an ended one is reaped.
  bool Running();
  // Waits for the program to end by itself; its exit status, -1 when it was
  // killed by a signal or never started.
  int Wait();
  // SIGTERM, then SIGKILL when it does not end within two seconds.
  void Stop();

 private:
  pid_t pid_ = -1;
};

// A loopback TCP port that nothing listens on at the moment of the call.
int FreeLoopbackPort();

bool CanConnectTcp(int port);
bool CanConnectUnix(const std::string& socketPath);

// Polls `ready` every 20 ms until it holds or `timeout` passes.
bool WaitUntil(const std::function<bool()>& ready,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace halvoric::testing
