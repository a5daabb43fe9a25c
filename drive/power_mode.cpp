// SPDX-License-Identifier: GPL-3.0-or-later
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

PowerMode DecodePowerMode(const RegisterAnswer& answer) {
  return answer.Asleep ? PowerMode::Sleep : PowerModeFromCount(answer.SectorCount);
}

namespace {

// Every form a power mode takes outside the program, in one place. The
// metric codes are what alert rules compare; the stored codes are in
// history files already written: never renumber either.
struct PowerModeForms {
  PowerMode Mode;
  const char* Name;
  int MetricCode;
  int StoredCode;
};
constexpr PowerModeForms kForms[] = {
    {PowerMode::Active, "active", 0, 1},
    {PowerMode::Standby, "standby", 1, 2},
    {PowerMode::Sleep, "sleep", 2, 3},
    {PowerMode::Unknown, "unknown", 3, 0},
};

const PowerModeForms& FormsOf(PowerMode mode) {
  for (const PowerModeForms& forms : kForms) {
    if (forms.Mode == mode) return forms;
  }
  return kForms[3];
}

}  // namespace

const char* PowerModeName(PowerMode mode) { return FormsOf(mode).Name; }
int PowerModeMetricCode(PowerMode mode) { return FormsOf(mode).MetricCode; }
int PowerModeStoredCode(PowerMode mode) { return FormsOf(mode).StoredCode; }

PowerMode PowerModeFromStoredCode(int code) {
  for (const PowerModeForms& forms : kForms) {
    if (forms.StoredCode == code) return forms.Mode;
  }
  return PowerMode::Unknown;
}

}  // namespace halvoric
