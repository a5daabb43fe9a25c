#include "drive/series_deadline.h"

namespace halvoric {

OpenResult SeriesDeadline::Open(const std::string& path) {
  const Clock::time_point due = Clock::now() + deadline_;
  OpenResult opened = inner_.Open(path);
  const std::optional<DriveNumber> drive = ParseDrivePath(path);
  if (opened.Ok() && drive) {
    const std::lock_guard lock(mutex_);
    series_[*opened] = {*drive, due, Clock::now() > due};
  }
  return opened;
}

bool SeriesDeadline::Control(DeviceHandle handle, std::uint32_t code, const void* in,
                             std::size_t inSize, void* out, std::size_t outSize) {
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
  inner_.Close(handle);
  Series ended;
  {
    const std::lock_guard lock(mutex_);
    const auto found = series_.find(handle);
    if (found == series_.end()) return;
    ended = found->second;
    series_.erase(found);
  }
  if (ended_) ended_(ended.Drive, ended.Overran);
}

}  // namespace halvoric
