// SPDX-License-Identifier: GPL-3.0-or-later
// A disk control backend answering from the simulated drives of a scenario.
// It records every open, request and close, so tests can check a series
// request by request. A drive in standby or asleep by its power schedule
// answers CHECK POWER MODE with that mode; any other request reaching it
// wakes it, as a real drive spins up, for the rest of that span. A drive
// in a runtime-suspend span says so without being opened; an open during
// the span is recorded as one that resumed it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "drive/ata_blocks.h"
#include "drive/disk_control.h"
#include "drive/drive_commands.h"
#include "drive/sim/scenario.h"
#include "drive/sim/sim_self_tests.h"

namespace halvoric::sim {

struct RecordedEvent {
  enum class Kind { Open, Control, Close };
  Kind What = Kind::Open;
  std::string Path;  // Open
  DeviceHandle Handle = kInvalidHandle;
  std::uint32_t Code = 0;       // Control
  AtaCommandRequest Request{};  // Control with a 32-byte request
  bool Succeeded = false;
  // Control: it woke the drive from standby or sleep; Open: it resumed a
  // runtime-suspended drive.
  bool Woke = false;
};

class SimulatedDisks : public DiskControl {
 public:
  using Clock = std::function<double()>;  // seconds since the simulation began

  // Without a clock, time runs from construction on the steady clock.
  explicit SimulatedDisks(Scenario scenario, Clock clock = {});

  OpenResult Open(const std::string& path) override;
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override;
  void Close(DeviceHandle handle) override;
  // The scenario's `limits`, for every drive it lists.
  TemperatureLimits KernelLimits(unsigned driveNumber) const override;
  std::string KernelModel(unsigned driveNumber) const override;
  // One past the highest drive number the scenario gives.
  unsigned DriveCount() const override;
  bool RuntimeSuspended(unsigned driveNumber) const override;
  bool AnswersFromNvme(DeviceHandle handle) const override;

  const std::vector<RecordedEvent>& Events() const { return events_; }
  void ClearEvents() { events_.clear(); }
  std::size_t OpenHandles() const { return open_.size(); }
  Scenario& Drives() { return scenario_; }

 private:
  OpenResult OpenDrive(const std::string& path);
  bool AnswerVersion(const SimDrive& drive, void* out, std::size_t outSize) const;
  // A request of the command table, in what `row` says it looks like.
  bool Answer(const SimDrive& drive, const DriveCommandRow& row, const AtaCommandRequest& request,
              double now, void* out, std::size_t outSize);
  bool AnswerPowerCheck(const SimDrive& drive, double now, void* out) const;
  bool AnswerNvme(const SimDrive& drive, const DriveCommandRow& row, double now, void* out,
                  std::size_t outSize) const;
  // Standby or Sleep while a span of the schedule holds `now` and no
  // request woke the drive during it; else Active.
  PowerMode PowerModeAt(const SimDrive& drive, double now) const;

  Scenario scenario_;
  Clock clock_;
  std::map<DeviceHandle, unsigned> open_;  // handle -> drive number
  DeviceHandle nextHandle_ = 100;
  std::vector<RecordedEvent> events_;
  std::map<unsigned, double> wokenAt_;  // drive number -> when a request last woke it
  SimSelfTests selfTests_;
};

}  // namespace halvoric::sim
