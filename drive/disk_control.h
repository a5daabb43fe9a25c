// SPDX-License-Identifier: GPL-3.0-or-later
// The disk control interface: the one seam through which the drive core
// reaches hardware. Implementations: the Linux SG_IO backend, the simulated
// drives of a scenario file, and small fakes inside unit tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "base/result.h"
#include "drive/temperature_limits.h"

namespace halvoric {

using DeviceHandle = std::intptr_t;
inline constexpr DeviceHandle kInvalidHandle = -1;

// Why an open failed. The drive core ignores it; the command-line tool uses
// it to tell the user why a drive could not be read.
enum class OpenError { None, NotFound, PermissionDenied, Other };

// The handle of an opened drive, or the system's reason in Message. The kind
// of failure travels beside it, so that a caller can tell missing rights
// from a missing drive.
class OpenResult : public Result<DeviceHandle> {
 public:
  OpenResult(DeviceHandle handle) : Result(handle) {}
  OpenResult(OpenError kind, std::string message)
      : Result(Failure{std::move(message)}), Kind(kind) {}

  OpenError Kind = OpenError::None;  // None exactly when Ok()
};

class DiskControl {
 public:
  virtual ~DiskControl() = default;

  // Opens a device path of the form "\\.\PhysicalDriveN".
  virtual OpenResult Open(const std::string& path) = 0;

  // Carries out one control code. Returns true when the request succeeded;
  // `out` receives at most `outSize` bytes.
  virtual bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
                       void* out, std::size_t outSize) = 0;

  virtual void Close(DeviceHandle handle) = 0;

  // True when the handle's answers were built from an NVMe drive's Identify
  // Controller and health log (drive/nvme_figures.h): its tables are then
  // read by NVMe's rules, not ATA's.
  virtual bool AnswersFromNvme(DeviceHandle /*handle*/) const { return false; }

  // The limits the kernel shows every user for drive N (hwmon), whatever
  // rights reached the drive itself.
  virtual TemperatureLimits KernelLimits(unsigned /*driveNumber*/) const { return {}; }
  // The model the kernel shows every user for drive N; empty where it
  // shows none. A disk this user may not open is listed with it.
  virtual std::string KernelModel(unsigned /*driveNumber*/) const { return {}; }

  // How many drive numbers there are: drives 0 to DriveCount() - 1 may be
  // opened (every whole disk the kernel lists; a scenario may leave gaps).
  // Told without opening any drive, so that a scan need not probe numbers
  // that cannot be there. The count may pass what a DriveNumber can name.
  // Backends that only serve another's drives keep the default.
  virtual unsigned DriveCount() const { return 0; }

  // True when the kernel has runtime-suspended drive N. Opening it, or any
  // command, resumes it, so this is told from what the kernel shows every
  // user, without opening the drive.
  virtual bool RuntimeSuspended(unsigned /*driveNumber*/) const { return false; }
};

// "\\.\PhysicalDrive" followed by N in decimal: the one place the path is
// written; drive/drive_number.h's ParseDrivePath is the one that reads it.
std::string DevicePath(unsigned driveNumber);

}  // namespace halvoric
