// SPDX-License-Identifier: GPL-3.0-or-later
// The stored settings: element name and field, in file order. The twelve of
// the Preferences page come first; the ones added later follow them, so a
// reader that knows only the twelve still finds each where it looks.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "settings/settings.h"

namespace halvoric {

// A whole number of minutes within its range.
struct MinutesField {
  std::uint32_t Settings::*Member;
  std::uint32_t Least;
  std::uint32_t Most;
};

// The critical temperature as its field accepts it when left: empty, or a
// whole number 0..100.
struct CritTempText {
  std::string Settings::*Member;
};

struct SettingField {
  std::string_view Name;  // also the element's name in config.xml
  std::variant<bool Settings::*, std::string Settings::*, MinutesField, CritTempText> Member;
};

inline constexpr std::array<SettingField, 18> SettingFields{{
    {"AutoRun", &Settings::AutoRun},
    {"LogEvents", &Settings::LogEvents},
    {"SystemLog", &Settings::SystemLog},
    {"DiskStatus", &Settings::DiskStatus},
    {"Hibernation", &Settings::Hibernation},
    {"TempWarn", &Settings::TempWarn},
    {"Temp", CritTempText{&Settings::Temp}},
    {"PopupNotification", &Settings::PopupNotification},
    {"EmailNotification", &Settings::EmailNotification},
    {"EmailAddr", &Settings::EmailAddr},
    {"PlaySound", &Settings::PlaySound},
    {"SoundPath", &Settings::SoundPath},
    {"HealthWarn", &Settings::HealthWarn},
    {"HealthMinutes", MinutesField{&Settings::HealthMinutes, 1, 24 * 60}},
    {"MailRepeatMinutes", MinutesField{&Settings::MailRepeatMinutes, 0, 7 * 24 * 60}},
    {"UseDriveLimits", &Settings::UseDriveLimits},
    {"MetricsFile", &Settings::MetricsFile},
    {"SelfTestSchedule", &Settings::SelfTestSchedule},
}};

}  // namespace halvoric
