// The user's preferences, in the order config.xml stores them.
#pragma once

#include <cstdint>
#include <string>

namespace halvoric {

// What the critical temperature field shows before anything is loaded.
inline constexpr std::uint8_t DefaultCritTemp = 50;

// Defaults are the state of the Preferences page as designed: every box clear.
struct Settings {
  bool AutoRun = false;
  bool LogEvents = false;
  bool SystemLog = false;
  bool DiskStatus = false;
  bool Hibernation = false;
  bool TempWarn = false;
  std::string Temp = "50";
  bool PopupNotification = false;
  bool EmailNotification = false;
  std::string EmailAddr{};
  bool PlaySound = false;
  std::string SoundPath = "alert.wav";
  // Derived from Temp on load, not stored.
  std::uint8_t CritTempValue = DefaultCritTemp;

  bool operator==(const Settings&) const = default;
};

}  // namespace halvoric
