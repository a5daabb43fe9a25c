// What each drive said when it was last read, for the times it must not be
// asked: a disk in standby is left asleep and reported from here.
#pragma once

#include <map>
#include <string>

#include "drive/drive_reader.h"

namespace halvoric {

struct LastReading {
  std::string Model;
  std::string Temperature = "N/A";  // as the "Temp" cell shows it
};

using LastReadings = std::map<DriveNumber, LastReading>;

}  // namespace halvoric
