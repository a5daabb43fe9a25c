// SPDX-License-Identifier: GPL-3.0-or-later
// The disk control interface through the privileged helper: Open starts one
// halvoric-ata process for the series and asks it to open the drive, every
// control request is one message to it, and Close ends it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "drive/disk_control.h"

namespace halvoric {

class HelperDiskControl final : public DiskControl {
 public:
  // Longer than the helper's own time-out of one request, so that a request
  // the kernel ended still comes back as an answer.
  static constexpr std::chrono::milliseconds kReplyTimeout{15000};

  // `command` is the helper's path followed by its arguments (the real
  // helper takes none). It is started with an empty environment. A helper
  // that does not answer a request within `replyTimeout` is ended and the
  // request fails.
  explicit HelperDiskControl(std::vector<std::string> command,
                             std::chrono::milliseconds replyTimeout = kReplyTimeout);
  ~HelperDiskControl() override;

  HelperDiskControl(const HelperDiskControl&) = delete;
  HelperDiskControl& operator=(const HelperDiskControl&) = delete;

  OpenResult Open(const std::string& path) override;
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override;
  void Close(DeviceHandle handle) override;

 private:
  struct Helper {
    pid_t Pid = -1;
    int Socket = -1;
  };

  static void Stop(const Helper& helper);
  // Ends a helper that did not answer, or answered nonsense.
  void End(const Helper& helper, const std::string& why);
  // Waits for the ended helpers that have gone by now, without blocking.
  void ReapEnded();
  static void ReportEnd(pid_t pid, int status);

  std::vector<std::string> command_;
  std::chrono::milliseconds replyTimeout_;
  std::map<DeviceHandle, Helper> helpers_;
  std::vector<pid_t> unreaped_;
  DeviceHandle nextHandle_ = 1;
};

// halvoric-ata in the folder of the running executable; empty when the
// executable's own path cannot be read.
std::filesystem::path HelperBesideExecutable();

}  // namespace halvoric
