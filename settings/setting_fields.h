// The twelve stored settings: element name and field, in file order.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>

#include "settings/settings.h"

namespace halvoric {

struct SettingField {
  std::string_view Name;  // also the element's name in config.xml
  std::variant<bool Settings::*, std::string Settings::*> Member;
};

inline constexpr std::array<SettingField, 12> SettingFields{{
    {"AutoRun", &Settings::AutoRun},
    {"LogEvents", &Settings::LogEvents},
    {"SystemLog", &Settings::SystemLog},
    {"DiskStatus", &Settings::DiskStatus},
    {"Hibernation", &Settings::Hibernation},
    {"TempWarn", &Settings::TempWarn},
    {"Temp", &Settings::Temp},
    {"PopupNotification", &Settings::PopupNotification},
    {"EmailNotification", &Settings::EmailNotification},
    {"EmailAddr", &Settings::EmailAddr},
    {"PlaySound", &Settings::PlaySound},
    {"SoundPath", &Settings::SoundPath},
}};

}  // namespace halvoric
