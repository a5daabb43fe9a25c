#include "drive/power_mode.h"

namespace halvoric {

PowerMode PowerModeFromCount(std::uint8_t count) {
  switch (count) {
    case 0x00:
    case 0x01:
      return PowerMode::Standby;
    case 0x40:
    case 0x41:
    case 0x80:
    case 0x81:
    case 0x82:
    case 0x83:
    case 0xFF:
      return PowerMode::Active;
    default:
      return PowerMode::Unknown;
  }
}

PowerMode DecodePowerMode(const PowerModeAnswer& answer) {
  return answer.Asleep ? PowerMode::Sleep : PowerModeFromCount(answer.SectorCount);
}

const char* PowerModeName(PowerMode mode) {
  switch (mode) {
    case PowerMode::Active:
      return "active";
    case PowerMode::Standby:
      return "standby";
    case PowerMode::Sleep:
      return "sleep";
    case PowerMode::Unknown:
      break;
  }
  return "unknown";
}

}  // namespace halvoric
