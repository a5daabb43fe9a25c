// SPDX-License-Identifier: GPL-3.0-or-later
// A series that runs past its deadline is cut short: its later requests
// fail without reaching the drive. One drive that does not answer then holds
// up the others for the deadline and the one request under way, which the
// kernel or the helper ends at its own time-out. The drive then rests: its
// opens in the next moments fail at once without reaching it, so that a
// scan that opens it several times waits for it only once, and a resting
// drive reads as one that could not be opened.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "drive/disk_control.h"
#include "drive/drive_number.h"

namespace halvoric {

// Ten seconds is the time-out of one request; a series of a drive that
// answers takes well under one.
inline constexpr std::chrono::milliseconds kSeriesDeadline{10000};

class SeriesDeadline final : public DiskControl {
 public:
  // Called as each series closes: whether it ran past the deadline.
  using SeriesEnded = std::function<void(DriveNumber, bool overran)>;

  SeriesDeadline(DiskControl& inner, std::chrono::milliseconds deadline, SeriesEnded ended)
      : inner_(inner), deadline_(deadline), ended_(std::move(ended)) {}

  // How long a drive rests after it missed a deadline: less than the
  // watch's 30 seconds, so every check still tries it once.
  std::chrono::milliseconds Rest() const { return deadline_ * 2; }
  // Every later series fails at once: the program is closing and must not
  // wait for drives.
  void Cancel() { cancelled_ = true; }

  OpenResult Open(const std::string& path) override;
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override;
  void Close(DeviceHandle handle) override;
  bool AnswersFromNvme(DeviceHandle handle) const override {
    return handle > kInvalidHandle && inner_.AnswersFromNvme(handle);
  }
  TemperatureLimits KernelLimits(unsigned driveNumber) const override {
    return inner_.KernelLimits(driveNumber);
  }
  std::string KernelModel(unsigned driveNumber) const override {
    return inner_.KernelModel(driveNumber);
  }
  unsigned DriveCount() const override { return inner_.DriveCount(); }
  bool RuntimeSuspended(unsigned driveNumber) const override {
    return inner_.RuntimeSuspended(driveNumber);
  }

 private:
  using Clock = std::chrono::steady_clock;
  struct Series {
    DriveNumber Drive = 0;
    Clock::time_point Due{};
    bool Overran = false;
  };

  // The failed open of a series that must not reach the drive.
  OpenResult TurnAway(DriveNumber drive);
  void Ended(DriveNumber drive, bool overran);

  DiskControl& inner_;
  std::chrono::milliseconds deadline_;
  SeriesEnded ended_;
  std::atomic<bool> cancelled_ = false;
  std::mutex mutex_;
  std::map<DeviceHandle, Series> series_;
  std::map<DriveNumber, Clock::time_point> restingUntil_;
};

}  // namespace halvoric
