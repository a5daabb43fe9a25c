// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/series_deadline.h"

namespace halvoric {

OpenResult SeriesDeadline::Open(const std::string& path) {
  const std::optional<DriveNumber> drive = ParseDrivePath(path);
  const Clock::time_point opening = Clock::now();
  if (drive) {
    std::unique_lock lock(mutex_);
    const auto resting = restingUntil_.find(*drive);
    const bool rests = resting != restingUntil_.end() && opening < resting->second;
    if (cancelled_ || rests) {
      lock.unlock();
      return TurnAway(*drive);
    }
  }
  const Clock::time_point due = opening + deadline_;
  OpenResult opened = inner_.Open(path);
  if (!drive) return opened;
  const bool overran = Clock::now() > due;
  if (!opened.Ok()) {
    // An open that took that long is as good as a drive that did not answer.
    if (overran) Ended(*drive, true);
    return opened;
  }
  const std::lock_guard lock(mutex_);
  series_[*opened] = {*drive, due, overran};
  return opened;
}

OpenResult SeriesDeadline::TurnAway(DriveNumber drive) {
  // The series counts as one more that the drive did not answer in time.
  if (ended_) ended_(drive, true);
  const char* why = cancelled_ ? "the program is closing" : "it did not answer in time and rests";
  return {OpenError::Other, "drive " + std::to_string(drive) + " was not opened: " + why};
}

bool SeriesDeadline::Control(DeviceHandle handle, std::uint32_t code, const void* in,
                             std::size_t inSize, void* out, std::size_t outSize) {
  if (cancelled_) return false;
  Clock::time_point due = Clock::time_point::max();
  {
    const std::lock_guard lock(mutex_);
    if (const auto found = series_.find(handle); found != series_.end()) {
      if (found->second.Overran) return false;
      due = found->second.Due;
    }
  }
  const bool answered = inner_.Control(handle, code, in, inSize, out, outSize);
  if (Clock::now() > due) {
    // The answer still counts; the rest of the series would wait the same.
    const std::lock_guard lock(mutex_);
    if (const auto found = series_.find(handle); found != series_.end()) {
      found->second.Overran = true;
    }
  }
  return answered;
}

void SeriesDeadline::Close(DeviceHandle handle) {
  std::optional<Series> ended;
  {
    const std::lock_guard lock(mutex_);
    if (const auto found = series_.find(handle); found != series_.end()) {
      ended = found->second;
      series_.erase(found);
      if (ended->Overran) restingUntil_[ended->Drive] = Clock::now() + Rest();
    }
  }
  inner_.Close(handle);
  if (ended && ended_) ended_(ended->Drive, ended->Overran);
}

void SeriesDeadline::Ended(DriveNumber drive, bool overran) {
  {
    const std::lock_guard lock(mutex_);
    if (overran) restingUntil_[drive] = Clock::now() + Rest();
  }
  if (ended_) ended_(drive, overran);
}

}  // namespace halvoric
