// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/stand_in_figures.h"

#include <algorithm>
#include <cstring>

#include "drive/attributes.h"

namespace halvoric {
namespace {

// A drive's string field: blank-padded, two characters per word with the
// first in the high byte, as IDENTIFY carries it.
void PutAtaString(std::uint8_t* field, std::size_t length, const std::string& text) {
  std::string padded = text.substr(0, length);
  padded.resize(length, ' ');
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    field[i] = static_cast<std::uint8_t>(padded[i + 1]);
    field[i + 1] = static_cast<std::uint8_t>(padded[i]);
  }
}

}  // namespace

AttributeEntry StandInEntry(std::uint8_t id, std::uint8_t value) {
  AttributeEntry entry{};
  entry.Id = id;
  entry.Flags[0] = kStandInFlags;
  entry.Value = entry.Worst = value;
  return entry;
}

AttributeEntry StandInTemperatureEntry(int celsius) {
  AttributeEntry entry = StandInEntry(
      kTemperatureAttribute,
      static_cast<std::uint8_t>(std::clamp(celsius, kLowestNormalised, kHighestNormalised)));
  entry.Raw[0] = static_cast<std::uint8_t>(std::clamp(celsius, 0, 255));
  return entry;
}

void FillStandInIdentify(const DriveStrings& strings, std::uint8_t (&data)[kSectorSize]) {
  std::memset(data, 0, sizeof data);
  PutAtaString(data + kIdentifySerial, kIdentifySerialLength, strings.Serial);
  PutAtaString(data + kIdentifyFirmware, kIdentifyFirmwareLength, strings.Firmware);
  PutAtaString(data + kIdentifyModel, kIdentifyModelLength, strings.Model);
}

void FillStandInAttributes(int celsius, std::uint8_t (&data)[kSectorSize]) {
  std::memset(data, 0, sizeof data);
  const AttributeEntry entry = StandInTemperatureEntry(celsius);
  std::memcpy(data + kTableOffset, &entry, sizeof entry);
}

void FillStandInThresholds(std::uint8_t (&data)[kSectorSize]) {
  std::memset(data, 0, sizeof data);
  ThresholdEntry entry{};
  entry.Id = kTemperatureAttribute;
  std::memcpy(data + kTableOffset, &entry, sizeof entry);
}

}  // namespace halvoric
