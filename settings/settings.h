// SPDX-License-Identifier: GPL-3.0-or-later
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

  // Stored after the twelve above; no control on the Preferences page.
  // The health watch, and how often it reads the drives.
  bool HealthWarn = true;
  std::uint32_t HealthMinutes = 10;
  // While a drive stays hot, an alert mail is repeated this often; 0 never.
  std::uint32_t MailRepeatMinutes = 60;
  // The watch alerts a drive at its own warning temperature when that is
  // below the critical temperature.
  bool UseDriveLimits = false;
  // Where each watch tick writes the drives' figures for Prometheus'
  // node_exporter; empty writes none.
  std::string MetricsFile{};
  // When the ticked drives run which self-test: a regular expression over
  // "T/MM/DD/d/HH" (monitor/self_test_schedule.h); empty runs none.
  std::string SelfTestSchedule{};

  bool operator==(const Settings&) const = default;
};

}  // namespace halvoric
