#include "drive/disk_control.h"

namespace halvoric {

std::string DevicePath(unsigned driveNumber) { return DevicePath(std::to_string(driveNumber)); }

std::string DevicePath(const std::string& driveText) {
  return "\\\\.\\PhysicalDrive" + driveText;
}

}  // namespace halvoric
