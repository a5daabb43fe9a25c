// SPDX-License-Identifier: GPL-3.0-or-later
// Forwards to another disk control backend and remembers why opens failed,
// so the command-line tool can tell the user what stopped it.
#pragma once

#include <map>
#include <string>

#include "drive/disk_control.h"

namespace halvoric::cli {

class OpenFailures : public DiskControl {
 public:
  explicit OpenFailures(DiskControl& inner) : inner_(inner) {}

  OpenResult Open(const std::string& path) override {
    OpenResult result = inner_.Open(path);
    if (result.Ok()) {
      failures_.erase(path);
    } else {
      failures_.insert_or_assign(path, result);
    }
    return result;
  }
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override {
    return inner_.Control(handle, code, in, inSize, out, outSize);
  }
  void Close(DeviceHandle handle) override { inner_.Close(handle); }
  bool AnswersFromNvme(DeviceHandle handle) const override {
    return inner_.AnswersFromNvme(handle);
  }
  std::string KernelModel(unsigned driveNumber) const override {
    return inner_.KernelModel(driveNumber);
  }
  TemperatureLimits KernelLimits(unsigned driveNumber) const override {
    return inner_.KernelLimits(driveNumber);
  }
  unsigned DriveCount() const override { return inner_.DriveCount(); }
  bool RuntimeSuspended(unsigned driveNumber) const override {
    return inner_.RuntimeSuspended(driveNumber);
  }

  // The last failed open of `path`, if its last open failed.
  const OpenResult* FailureOf(const std::string& path) const {
    const auto it = failures_.find(path);
    return it == failures_.end() ? nullptr : &it->second;
  }

 private:
  DiskControl& inner_;
  std::map<std::string, OpenResult> failures_;
};

}  // namespace halvoric::cli
